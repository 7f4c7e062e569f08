#include "net/Url.h"

#include "text/Error.h"
#include "text/TextHelpers.h"

#include <cctype>

namespace qx::net {

namespace {

// Blanks and control characters have no place in a request line or a Host header.
bool HasBlankOrControl(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 33)
            return true;
    return false;
}

} // namespace

std::string Url::hostHeader() const {
    return defaultPort() ? host : host + ":" + std::to_string(port);
}

Url ParseUrl(const std::string& text) {
    Url url;
    std::size_t colon = text.find("://");
    if (colon == std::string::npos)
        throw Error("Unknown Protocol");
    url.scheme = AsciiLowerCase(text.substr(0, colon));
    if (url.scheme != "http" && url.scheme != "https")
        throw Error("Unknown Protocol");

    std::size_t authorityStart = colon + 3;
    std::size_t pathStart = text.find_first_of("/?#", authorityStart);
    std::string authority = text.substr(authorityStart, pathStart - authorityStart);
    url.path = pathStart == std::string::npos ? "/" : text.substr(pathStart);
    if (url.path.front() != '/')
        url.path.insert(0, "/");
    if (std::size_t fragment = url.path.find('#'); fragment != std::string::npos)
        url.path.erase(fragment);

    if (std::size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1); // no credentials are held or sent
    url.port = url.tls() ? 443 : 80;
    std::size_t portColon = authority.rfind(':');
    if (portColon != std::string::npos) {
        std::string digits = authority.substr(portColon + 1);
        authority.erase(portColon);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(digits) == 0 || std::stoul(digits) > 65535)
            throw Error("Invalid URL: " + text);
        url.port = static_cast<std::uint16_t>(std::stoul(digits));
    }
    if (authority.empty() || HasBlankOrControl(authority) || HasBlankOrControl(url.path))
        throw Error("Invalid URL: " + text);
    url.host = authority;
    return url;
}

} // namespace qx::net
