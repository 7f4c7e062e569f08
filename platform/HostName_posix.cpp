#include "platform/HostName.h"

#include <sys/utsname.h>
#include <unistd.h>

namespace qx::platform {

std::string LocalHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0 && name[0])
        return name;
    utsname system{};
    return uname(&system) == 0 ? system.nodename : "";
}

} // namespace qx::platform
