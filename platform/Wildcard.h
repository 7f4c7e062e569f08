#pragma once
#include <string>

namespace qx::platform {

// Windows file-name matching: "*" any run, "?" one character, letter case ignored;
// "*.*" matches every name, also one without a dot.
bool MatchesWildcard(const std::string& name, const std::string& pattern);

} // namespace qx::platform
