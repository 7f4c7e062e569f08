#pragma once
#include <string>

namespace qx::platform {

// The local host name as the network knows it; if that is empty, the computer name.
std::string LocalHostName();

// Whether `host` is written as an address rather than a name: digits and dots only, as the
// IPv4 sockets take it. Such a host goes into no name indication and is bracketed in FTP's HOST.
bool IsNumericHost(const std::string& host);

} // namespace qx::platform
