#include "net/HttpResponse.h"

#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cstdint>

namespace qx::net {

namespace {

// Whether a comma-separated header value lists `token` (letter case ignored).
bool ListsToken(const std::string& value, const std::string& token) {
    std::string lower = AsciiLowerCase(value);
    std::size_t start = 0;
    while (start <= lower.size()) {
        std::size_t comma = lower.find(',', start);
        if (Trim(lower.substr(start, comma - start)) == token)
            return true;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return false;
}

// A decimal or hexadecimal count that must fit in size_t; nullopt when it is none.
std::optional<std::size_t> ParseCount(const std::string& text, int base) {
    if (text.empty())
        return std::nullopt;
    std::size_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        if (value > (SIZE_MAX - static_cast<std::size_t>(digit)) / static_cast<std::size_t>(base))
            return std::nullopt;
        value = value * static_cast<std::size_t>(base) + static_cast<std::size_t>(digit);
    }
    return value;
}

void CheckLimit(std::size_t total, std::size_t limit) {
    if (limit > 0 && total > limit)
        throw Error("Response too large.");
}

} // namespace

std::optional<std::string> HttpResponseHead::header(const std::string& name) const {
    std::string wanted = AsciiLowerCase(name);
    for (const auto& [key, value] : headers)
        if (AsciiLowerCase(key) == wanted)
            return value;
    return std::nullopt;
}

bool HttpResponseHead::chunked() const {
    auto coding = header("Transfer-Encoding");
    return coding && ListsToken(*coding, "chunked");
}

std::optional<std::size_t> HttpResponseHead::contentLength() const {
    auto length = header("Content-Length");
    if (!length)
        return std::nullopt;
    auto count = ParseCount(*length, 10);
    if (!count)
        throw Error("Invalid Content-Length: " + length->substr(0, 40));
    return count;
}

bool HttpResponseHead::keepAlive() const {
    auto connection = header("Connection");
    if (connection && ListsToken(*connection, "close"))
        return false;
    // A body that ends with the server's close leaves nothing to keep.
    if (!chunked() && !header("Content-Length") && status != 204 && status != 304)
        return false;
    if (version == "HTTP/1.0")
        return connection && ListsToken(*connection, "keep-alive");
    return true;
}

HttpResponseHead HttpResponseReader::readHead() {
    for (;;) {
        auto statusLine = reader_.readLine(kMaxLineLength);
        if (!statusLine)
            throw Error("Connection closed gracefully.");
        HttpResponseHead head;
        head.statusLine = *statusLine;
        // "HTTP/1.1 200 OK": version, blank, three digits, then a blank and the reason or nothing.
        std::size_t blank = statusLine->find(' ');
        std::string code = blank == std::string::npos ? std::string() : statusLine->substr(blank + 1, 3);
        if (statusLine->rfind("HTTP/", 0) != 0 || code.size() != 3 ||
            code.find_first_not_of("0123456789") != std::string::npos ||
            (statusLine->size() > blank + 4 && (*statusLine)[blank + 4] != ' '))
            throw Error("Invalid HTTP response: " + statusLine->substr(0, 80));
        head.version = statusLine->substr(0, blank);
        head.status = std::stoi(code);

        for (std::size_t count = 0;; ++count) {
            auto line = reader_.readLine(kMaxLineLength);
            if (!line)
                throw Error("Connection closed gracefully.");
            if (line->empty())
                break;
            if (count >= kMaxHeaderLines)
                throw Error("Too many header lines in the HTTP response.");
            if ((line->front() == ' ' || line->front() == '\t') && !head.headers.empty()) {
                head.headers.back().second += " " + Trim(*line); // obsolete line folding
                continue;
            }
            std::size_t colon = line->find(':');
            if (colon == std::string::npos || colon == 0)
                throw Error("Invalid HTTP header: " + line->substr(0, 80));
            head.headers.emplace_back(line->substr(0, colon), Trim(line->substr(colon + 1)));
        }
        if (head.status != 100)
            return head;
    }
}

bool HttpResponseReader::readBody(const HttpResponseHead& head, const BodyReceiver& receiver, std::size_t bodyLimit) {
    if (head.status == 204 || head.status == 304 || (head.status >= 100 && head.status < 200))
        return true;
    if (head.chunked())
        return readChunked(receiver, bodyLimit);
    std::size_t total = 0;
    if (auto count = head.contentLength()) {
        CheckLimit(*count, bodyLimit);
        return passOn(*count, receiver, total, bodyLimit);
    }
    for (std::string_view piece = reader_.readSome(SIZE_MAX); !piece.empty(); piece = reader_.readSome(SIZE_MAX)) {
        total += piece.size();
        CheckLimit(total, bodyLimit);
        if (!receiver(piece.data(), piece.size()))
            return false;
    }
    return true;
}

void HttpResponseReader::readBody(const HttpResponseHead& head, std::string& body, std::size_t bodyLimit) {
    readBody(
        head,
        [&body](const char* data, std::size_t size) {
            body.append(data, size);
            return true;
        },
        bodyLimit);
}

bool HttpResponseReader::passOn(std::size_t count, const BodyReceiver& receiver, std::size_t& total,
                                std::size_t bodyLimit) {
    while (count > 0) {
        std::string_view piece = reader_.readSome(count);
        if (piece.empty())
            throw Error("Connection closed early.");
        count -= piece.size();
        total += piece.size();
        CheckLimit(total, bodyLimit);
        if (!receiver(piece.data(), piece.size()))
            return false;
    }
    return true;
}

bool HttpResponseReader::readChunked(const BodyReceiver& receiver, std::size_t bodyLimit) {
    std::size_t total = 0;
    for (;;) {
        auto line = reader_.readLine(kMaxLineLength);
        if (!line)
            throw Error("Connection closed early.");
        std::string sizeText = Trim(line->substr(0, line->find(';'))); // chunk extensions ignored
        auto size = ParseCount(sizeText, 16);
        if (!size)
            throw Error("Invalid chunk size: " + sizeText.substr(0, 40));
        if (*size == 0)
            break;
        CheckLimit(*size, bodyLimit);
        if (!passOn(*size, receiver, total, bodyLimit))
            return false;
        auto end = reader_.readLine(kMaxLineLength);
        if (!end || !end->empty())
            throw Error("Invalid chunked body.");
    }
    // Trailer fields up to the empty line.
    for (std::size_t count = 0;; ++count) {
        auto line = reader_.readLine(kMaxLineLength);
        if (!line || line->empty())
            return true;
        if (count >= kMaxHeaderLines)
            throw Error("Too many header lines in the HTTP response.");
    }
}

} // namespace qx::net
