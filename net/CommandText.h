#pragma once
// What may go into one command line of a line protocol (FTP, SMTP): a CR, an LF or a NUL
// would end the line early and let the rest reach the server as a command of its own.
#include <string_view>

namespace qx::net {

bool IsSafeCommandText(std::string_view text);

} // namespace qx::net
