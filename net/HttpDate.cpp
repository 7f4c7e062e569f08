#include "net/HttpDate.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace qx::net {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int MonthNumber(const char* name) {
    static const std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        if (std::strncmp(name, months[static_cast<std::size_t>(i)], 3) == 0)
            return i + 1;
    return 0;
}

} // namespace

std::optional<std::int64_t> ParseHttpDate(const std::string& text) {
    char weekday[16] = {}, month[4] = {}, zone[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    bool parsed =
        std::sscanf(text.c_str(), "%15[A-Za-z], %d %3s %d %d:%d:%d %3s", weekday, &day, month, &year, &hour, &minute,
                    &second, zone) == 8 ||
        std::sscanf(text.c_str(), "%15[A-Za-z], %d-%3s-%d %d:%d:%d %3s", weekday, &day, month, &year, &hour, &minute,
                    &second, zone) == 8 ||
        std::sscanf(text.c_str(), "%15s %3s %d %d:%d:%d %d", weekday, month, &day, &hour, &minute, &second, &year) == 7;
    if (!parsed)
        return std::nullopt;
    if (year < 100)
        year += year < 70 ? 2000 : 1900;
    int m = MonthNumber(month);
    if (m == 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || hour < 0 || minute < 0 ||
        second < 0)
        return std::nullopt;
    return DaysFromCivil(year, static_cast<unsigned>(m), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
}

} // namespace qx::net
