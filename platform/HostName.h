#pragma once
#include <string>

namespace qx::platform {

// The local host name as the network knows it; if that is empty, the computer name.
std::string LocalHostName();

} // namespace qx::platform
