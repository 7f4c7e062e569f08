#pragma once
// Reading one HTTP/1.1 response (RFC 7230): the status line, the headers, and the body
// framed by chunked coding, by Content-Length, or by the server's close.
#include "net/LineReader.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qx::net {

struct HttpResponseHead {
    std::string version; // "HTTP/1.1"
    int status = 0;
    std::string statusLine; // the whole status line, as the error of a refused request carries it
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of the first header of that name (letter case ignored), blanks trimmed.
    std::optional<std::string> header(const std::string& name) const;
    bool chunked() const;
    // The Content-Length, nullopt without one; throws qx::Error("Invalid Content-Length: ...")
    // for a value that is no count.
    std::optional<std::size_t> contentLength() const;
    // Whether the connection may carry another request after this response's body.
    bool keepAlive() const;
};

// Takes a body piece by piece as it arrives; false stops the reading there.
using BodyReceiver = std::function<bool(const char* data, std::size_t size)>;

class HttpResponseReader {
public:
    static constexpr std::size_t kMaxLineLength = 8192;
    static constexpr std::size_t kMaxHeaderLines = 255;

    explicit HttpResponseReader(LineReader& reader) : reader_(reader) {}

    // Reads the status line and the headers; interim 100 responses are skipped.
    // Throws qx::Error for a connection closed before the head, a malformed status line,
    // or more than kMaxHeaderLines header lines.
    HttpResponseHead readHead();
    // Hands the body that follows `head` to `receiver` as it arrives; false when the receiver
    // stopped it. More than `bodyLimit` bytes (0: no limit) throw qx::Error("Response too large.").
    bool readBody(const HttpResponseHead& head, const BodyReceiver& receiver, std::size_t bodyLimit = 0);
    // Appends the body that follows `head` to `body`.
    void readBody(const HttpResponseHead& head, std::string& body, std::size_t bodyLimit = 0);

private:
    // Passes `count` bytes on as they arrive; false when the receiver stopped.
    bool passOn(std::size_t count, const BodyReceiver& receiver, std::size_t& total, std::size_t bodyLimit);
    bool readChunked(const BodyReceiver& receiver, std::size_t bodyLimit);

    LineReader& reader_;
};

} // namespace qx::net
