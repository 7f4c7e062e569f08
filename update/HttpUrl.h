#pragma once
// The parts of an http:// or https:// URL, and the HTTP date of a Last-Modified header.
#include <cstdint>
#include <optional>
#include <string>

namespace qx::update {

struct HttpUrl {
    bool https = false;
    std::string host;
    int port = 80;
    std::string path = "/"; // path and query as sent in the request line
};

// nullopt for another scheme, an empty host or a port that is no number from 1 to 65535.
std::optional<HttpUrl> ParseHttpUrl(const std::string& url);

// "Sun, 06 Nov 1994 08:49:37 GMT" (and the older RFC 850 and asctime forms) as seconds since 1970 UTC.
std::optional<std::int64_t> ParseHttpDate(const std::string& text);

} // namespace qx::update
