#include "platform/Clock.h"

namespace qx::platform {

std::tm LocalTime(std::int64_t unixSeconds) {
    const std::time_t moment = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

int LocalUtcOffsetMinutes(std::int64_t unixSeconds) {
    // The local broken-down time read back as if it were UTC differs from the moment by the offset.
    std::tm local = LocalTime(unixSeconds);
    return static_cast<int>((_mkgmtime(&local) - static_cast<std::time_t>(unixSeconds)) / 60);
}

} // namespace qx::platform
