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

DayCount Today() {
    const std::tm local = LocalTime(NowUnix());
    return DayCountOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

} // namespace qx::platform
