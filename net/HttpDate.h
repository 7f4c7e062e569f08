#pragma once
// The date of an HTTP header such as Last-Modified (RFC 7231, section 7.1.1.1).
#include <cstdint>
#include <optional>
#include <string>

namespace qx::net {

// "Sun, 06 Nov 1994 08:49:37 GMT" (and the older RFC 850 and asctime forms) as seconds since 1970 UTC.
std::optional<std::int64_t> ParseHttpDate(const std::string& text);

} // namespace qx::net
