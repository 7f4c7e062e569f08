#pragma once
// Data the Windows program carries in its own resources.
#include <optional>
#include <string>

namespace qx::platform {

// The bytes of the executable's resource whose type and name are both `name`; nullopt when it has none.
std::optional<std::string> ReadOwnResource(const std::string& name);

} // namespace qx::platform
