// Day counts from the zero date 30 December 1899, through the proleptic Gregorian
// day number of each date (days since 1 March of year 0).
#include "text/Dates.h"

#include <cstdio>

namespace qx {

namespace {

constexpr int OrdinalOf(int year, int month, int day) {
    if (month <= 2)
        --year;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

constexpr int kZeroDateOrdinal = OrdinalOf(1899, 12, 30);

bool ReadNumber(const std::string& text, std::size_t& at, int minDigits, int maxDigits, int& value) {
    int digits = 0;
    value = 0;
    while (at < text.size() && digits < maxDigits && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits >= minDigits;
}

bool Expect(const std::string& text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

// "hh:mm" or "hh:mm:ss" with a valid time of day.
bool IsTimeOfDay(const std::string& text, std::size_t at) {
    int hours = 0, minutes = 0, seconds = 0;
    if (!ReadNumber(text, at, 1, 2, hours) || !Expect(text, at, ':') || !ReadNumber(text, at, 2, 2, minutes))
        return false;
    if (at < text.size() && (!Expect(text, at, ':') || !ReadNumber(text, at, 2, 2, seconds)))
        return false;
    return at == text.size() && hours < 24 && minutes < 60 && seconds < 60;
}

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

DayCount DayCountOf(const CivilDate& date) {
    return OrdinalOf(date.year, date.month, date.day) - kZeroDateOrdinal;
}

CivilDate CivilDateOf(DayCount days) {
    const int ordinal = days + kZeroDateOrdinal;
    const int era = (ordinal >= 0 ? ordinal : ordinal - 146096) / 146097;
    const int dayOfEra = ordinal - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    date.month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

std::string FormatDayMonthYear(DayCount days) {
    const CivilDate d = CivilDateOf(days);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buffer;
}

std::string FormatYyyymmdd(DayCount days) {
    const CivilDate d = CivilDateOf(days);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", d.year, d.month, d.day);
    return buffer;
}

std::optional<DayCount> ParseDayMonthYear(const std::string& text) {
    std::size_t at = 0;
    CivilDate date;
    if (!ReadNumber(text, at, 1, 2, date.day) || !Expect(text, at, '.') || !ReadNumber(text, at, 1, 2, date.month) ||
        !Expect(text, at, '.') || !ReadNumber(text, at, 4, 4, date.year))
        return std::nullopt;
    if (at < text.size() && (!Expect(text, at, ' ') || !IsTimeOfDay(text, at)))
        return std::nullopt;
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month))
        return std::nullopt;
    return DayCountOf(date);
}

} // namespace qx
