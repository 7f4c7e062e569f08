#include "platform/CodePage.h"

namespace qx::platform {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

} // namespace qx::platform
