#pragma once
// Reading one HTTP/1.1 response (RFC 7230): the status line, the headers, and the body
// framed by chunked coding, by Content-Length, or by the server's close.
#include "net/LineReader.h"

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
    // Whether the connection may carry another request after this response's body.
    bool keepAlive() const;
};

class HttpResponseReader {
public:
    static constexpr std::size_t kMaxLineLength = 8192;
    static constexpr std::size_t kMaxHeaderLines = 255;

    explicit HttpResponseReader(LineReader& reader) : reader_(reader) {}

    // Reads the status line and the headers; interim 100 responses are skipped.
    // Throws qx::Error for a connection closed before the head, a malformed status line,
    // or more than kMaxHeaderLines header lines.
    HttpResponseHead readHead();
    // Appends the body that follows `head` to `body`. `bodyLimit` (0: none) guards memory.
    void readBody(const HttpResponseHead& head, std::string& body, std::size_t bodyLimit = 0);

private:
    void readChunked(std::string& body, std::size_t bodyLimit);

    LineReader& reader_;
};

} // namespace qx::net
