// The Windows build of the tests: peer servers are Linux programs and cannot be started here.
#include "tests/support/ChildProcess.h"

#include <stdexcept>

namespace qx::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    throw std::runtime_error("peer programs run only in the native build: " + (argv.empty() ? "" : argv[0]));
}

ChildProcess::~ChildProcess() = default;

std::string ChildProcess::readOutput(double) {
    return buffered_;
}

} // namespace qx::test
