#pragma once
// Buffered reading over a ByteStream: lines for the protocol heads, counted or open-ended
// runs of bytes for bodies and data. Shared by the HTTP client and the line protocols.
#include "net/ByteStream.h"

#include <cstddef>
#include <optional>
#include <string>

namespace qx::net {

class LineReader {
public:
    explicit LineReader(ByteStream& stream) : stream_(stream) {}

    // One line without its line end. LF ends a line; a CR before it is dropped, so lines
    // ended by a bare LF are read as well. nullopt when the stream ended before the line began;
    // a last line cut off by the end of the stream is returned as it is. Throws
    // qx::Error("Line too long.") when `maxLength` bytes pass without a line end.
    std::optional<std::string> readLine(std::size_t maxLength);

    // Appends exactly `count` bytes to `out`; throws qx::Error("Connection closed early.") when
    // the stream ends first.
    void readExact(std::size_t count, std::string& out);
    // Appends everything up to the end of the stream to `out`. A `limit` (bytes, 0 for none)
    // guards memory: passing it throws qx::Error("Response too large.").
    void readToEnd(std::string& out, std::size_t limit = 0);

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
