#pragma once
// Reads a typed date text: full or short forms, with or without separators, in one of three orders.
#include "datefield/DateOrder.h"
#include "text/Dates.h"
#include <functional>
#include <optional>
#include <string_view>

namespace qx {

struct DateParseRules {
    DateOrder order = DateOrder::DayFirst;
    char separator = kDateSeparator;
    int epoch = 1940;                        // first year of the hundred-year window for short years
    bool zeroDateIsValid = true;             // an empty or all-zero text means the zero date
    std::function<bool(DayCount)> checkDate; // extra acceptance test; none accepts every existing date
};

// The date the text stands for, or nullopt when it is no valid date. Never throws on any text.
std::optional<DayCount> ParseDate(std::string_view text, const DateParseRules& rules);

// The window that two-digit years fall into: 10 x (current year / 10, halves to even) - 80.
int DefaultEpoch(int currentYear);
constexpr int kMinEpoch = 1900;
constexpr int kMaxEpoch = 2100;

} // namespace qx
