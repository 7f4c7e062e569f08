#pragma once
// Setting and removing environment variables of the test process, on either platform.
#include <string>

namespace qx::test {

void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

} // namespace qx::test
