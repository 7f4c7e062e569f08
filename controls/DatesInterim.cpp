// Interim day count routines until the shared text/Dates implementation lands; removed then.
#include "platform/Clock.h"
#include "text/Dates.h"

namespace qx {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1 March of year 0 (proleptic Gregorian), shifted so 30 December 1899 is 0.
DayCount DayCountOf(const CivilDate& date) {
    const int y = date.year - (date.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (date.month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + date.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;
}

CivilDate CivilDateOf(DayCount days) {
    const int z = days - 25569 + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    const int year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

DayCount Today() {
    const std::tm local = platform::LocalTime(platform::NowUnix());
    return DayCountOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
}

} // namespace qx
