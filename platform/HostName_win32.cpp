#include "platform/HostName.h"

#include <windows.h>

namespace qx::platform {

std::string LocalHostName() {
    char name[256] = {};
    DWORD size = sizeof name;
    if (GetComputerNameExA(ComputerNameDnsHostname, name, &size) && name[0])
        return name;
    size = sizeof name;
    return GetComputerNameA(name, &size) ? name : "";
}

} // namespace qx::platform
