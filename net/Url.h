#pragma once
// An absolute "http" or "https" URL split into what one GET needs.
#include <cstdint>
#include <string>

namespace qx::net {

struct Url {
    std::string scheme; // "http" or "https", lower case
    std::string host;
    std::uint16_t port = 0;
    std::string path; // with its query; "/" when the URL has none

    bool tls() const { return scheme == "https"; }
    bool defaultPort() const { return port == (tls() ? 443 : 80); }
    // The Host header's value: the host, with ":" and the port only when it is not the scheme's default.
    std::string hostHeader() const;
};

// Throws qx::Error("Unknown Protocol") for a scheme other than http and https, and
// qx::Error("Invalid URL: <url>") for a URL without host, with a port that is no number from
// 1 to 65535, or with a blank or control character in its host or path.
Url ParseUrl(const std::string& url);

} // namespace qx::net
