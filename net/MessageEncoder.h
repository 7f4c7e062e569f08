#pragma once
// Turns a message into the text sent after DATA (before dot-stuffing): the single-part
// MIME form, in which the one part's headers stand in the message's header block.
#include "net/MailMessage.h"
#include <cstdint>
#include <string>

namespace qx::net {

// "Thu, 10 Dec 2026 05:12:32 +0100": local time of the moment with its offset from UTC.
std::string FormatMailDate(std::int64_t unixSeconds);

// "name <address>", a bare address, or in From the address itself standing in for a missing name.
std::string FormatAddress(const MailAddress& address, bool isFrom);

// Throws qx::Error for a message that is not single-part (no part, several parts, or an own body
// with text besides the part).
std::string EncodeMessage(const MailMessage& message);

} // namespace qx::net
