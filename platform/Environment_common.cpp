#include "platform/Environment.h"

namespace qx::platform {

std::string RootOrOverride(const std::string& variable, const std::string& builtIn) {
    std::string root = GetEnvironmentText(variable);
    if (root.empty())
        root = builtIn;
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

} // namespace qx::platform
