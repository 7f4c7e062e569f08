#include "platform/HostName.h"

namespace qx::platform {

bool IsNumericHost(const std::string& host) {
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
}

} // namespace qx::platform
