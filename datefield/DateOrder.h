#pragma once
// Order of day, month and year in a date text, and the texts that depend on it.
#include "text/Dates.h"
#include <string>
#include <string_view>

namespace qx {

enum class DateOrder { DayFirst, MonthFirst, YearFirst };

// The process-wide date separator, fixed at start-up.
constexpr char kDateSeparator = '.';

// Only the first letter counts: "D" day first, "M" month first, anything else (or nothing) year first.
DateOrder DateOrderOfFormat(std::string_view format);
// The system's short date format ("d. MM. yy", "M/d/yy", "yyyy-MM-dd"): its first letter decides.
DateOrder DateOrderOfSystemFormat(std::string_view shortDateFormat);
// "dd/mm/yyyy", "mm/dd/yyyy" or "yyyy/mm/dd"; "/" stands for the date separator.
std::string DateFormatText(DateOrder order);

// The all-zero text: "00.00.0000" or "0000.00.00".
std::string BlankDateMask(DateOrder order, char separator);
// Full form of a date: two-digit day and month, four-digit year, in the given order.
std::string FormatDate(DayCount date, DateOrder order, char separator);

} // namespace qx
