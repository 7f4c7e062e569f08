#include "platform/Clock.h"

namespace qx::platform {

std::tm LocalTime(std::int64_t unixSeconds) {
    const std::time_t moment = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

int LocalUtcOffsetMinutes(std::int64_t unixSeconds) {
    return static_cast<int>(LocalTime(unixSeconds).tm_gmtoff / 60);
}

} // namespace qx::platform
