#pragma once
// Date values: a day count in which 0 is the zero date, 30 December 1899.
#include <optional>
#include <string>

namespace qx {

using DayCount = int;
constexpr DayCount kZeroDate = 0;

struct CivilDate {
    int year{};
    int month{};
    int day{};
    bool operator==(const CivilDate&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Day count of an existing date (year 1 to 9999).
DayCount DayCountOf(const CivilDate& date);
CivilDate CivilDateOf(DayCount days);

// "dd.mm.yyyy", the process date format.
std::string FormatDayMonthYear(DayCount days);
// "yyyymmdd", as the date filters compare dates.
std::string FormatYyyymmdd(DayCount days);
// Reads "dd.mm.yyyy", optionally followed by a blank and a time; nullopt when unreadable.
std::optional<DayCount> ParseDayMonthYear(const std::string& text);

} // namespace qx
