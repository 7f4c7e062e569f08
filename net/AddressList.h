#pragma once
// Recipient texts as the user or the service writes them: addresses separated by commas
// or semicolons, each bare or as a display name followed by "<address>".
#include "net/MailMessage.h"
#include <string>
#include <vector>

namespace qx::net {

// Separators inside double quotes or angle brackets do not split; empty items are dropped.
std::vector<MailAddress> ParseAddressList(const std::string& text);

} // namespace qx::net
