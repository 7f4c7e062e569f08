#include "tests/support/TestEnvironment.h"

#include <cstdlib>

namespace qx::test {

void SetEnvironment(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnvironment(const std::string& name) {
    unsetenv(name.c_str());
}

} // namespace qx::test
