#include "tests/support/ChildProcess.h"

#include <chrono>
#include <stdexcept>

namespace qx::test {

void ChildProcess::waitUntilReady(const std::string& program) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        auto pos = buffered_.find("READY ");
        auto end = pos == std::string::npos ? pos : buffered_.find('\n', pos);
        if (end != std::string::npos) {
            port_ = std::stoi(buffered_.substr(pos + 6, end - pos - 6));
            buffered_.erase(0, end + 1);
            return;
        }
        if (!ReadSome(outFd_, buffered_, 100))
            break;
    }
    throw std::runtime_error("peer server did not become ready: " + program + "\n" + buffered_);
}

std::string ChildProcess::readOutput(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline)
        if (!ReadSome(outFd_, buffered_, 20))
            break;
    return buffered_;
}

} // namespace qx::test
