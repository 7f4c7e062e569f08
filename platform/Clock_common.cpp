#include "platform/Clock.h"

#include <chrono>
#include <mutex>

namespace qx::platform {

namespace {

std::mutex clockMutex;
std::function<std::int64_t()> clockForTests;

} // namespace

std::int64_t NowUnix() {
    {
        std::lock_guard lock(clockMutex);
        if (clockForTests)
            return clockForTests();
    }
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void SetClockForTests(std::function<std::int64_t()> clock) {
    std::lock_guard lock(clockMutex);
    clockForTests = std::move(clock);
}

} // namespace qx::platform
