#pragma once
// Buffered reading over a ByteStream: lines for the protocol heads, and the bytes of bodies
// and data as they arrive. Shared by the HTTP client and the line protocols.
#include "net/ByteStream.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qx::net {

class LineReader {
public:
    explicit LineReader(ByteStream& stream) : stream_(stream) {}

    // One line without its line end. LF ends a line; a CR before it is dropped, so lines
    // ended by a bare LF are read as well. nullopt when the stream ended before the line began;
    // a last line cut off by the end of the stream is returned as it is. Throws
    // qx::Error("Line too long.") when `maxLength` bytes pass without a line end.
    std::optional<std::string> readLine(std::size_t maxLength);

    // The next bytes, at most `maxSize`: what was read ahead, else one read from the stream.
    // Empty when the stream ended. The view is valid until the next call on the reader.
    std::string_view readSome(std::size_t maxSize);

    // Drops what was read ahead (before switching to TLS nothing sent in plain text may remain).
    void discardBuffered();
    bool hasBuffered() const { return pos_ < buffer_.size(); }

private:
    // Reads more from the stream into the buffer; false when the stream ended.
    bool fill();

    ByteStream& stream_;
    std::string buffer_;
    std::size_t pos_ = 0;
};

} // namespace qx::net
