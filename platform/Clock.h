#pragma once
// Wall clock and local time, replaceable by tests so that dates and archive bytes repeat.
#include "text/Dates.h"
#include <cstdint>
#include <ctime>
#include <functional>

namespace qx::platform {

// Seconds since 1970 UTC.
std::int64_t NowUnix();
// Replaces the clock (tests); an empty function restores the system clock.
void SetClockForTests(std::function<std::int64_t()> clock);

// Local broken-down time of a moment.
std::tm LocalTime(std::int64_t unixSeconds);
// Offset of local time from UTC at that moment, in minutes.
int LocalUtcOffsetMinutes(std::int64_t unixSeconds);

// Today's date in local time, from the clock above (which tests can replace).
DayCount Today();

} // namespace qx::platform
