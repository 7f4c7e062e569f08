#include "datefield/DateParser.h"

#include <cctype>

namespace qx {
namespace {

constexpr std::size_t kMaxLength = 10;
constexpr std::size_t kNone = std::string_view::npos;

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A group of at most 10 characters checked to be digits; it always fits.
int GroupValue(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

struct Split {
    std::string_view first, second, third;
    bool fourDigitYear = false;
};

// Separator placement: none at the start, never two in a row, never more than two.
// Fills the groups, or returns false when the text breaks a rule of shape.
bool SplitGroups(std::string_view text, const DateParseRules& rules, Split& split) {
    std::size_t firstSep = kNone, secondSep = kNone;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == rules.separator) {
            if (i == 0)
                return false;
            if (firstSep == kNone) {
                firstSep = i;
            } else if (secondSep == kNone) {
                if (i == firstSep + 1)
                    return false;
                secondSep = i;
            } else {
                return false;
            }
        } else if (!IsDigit(c)) {
            return false;
        }
    }

    if (firstSep == kNone) {
        if (text.size() == 6) {
            split = {text.substr(0, 2), text.substr(2, 2), text.substr(4, 2), false};
            return true;
        }
        if (text.size() == 8) {
            if (rules.order == DateOrder::YearFirst)
                split = {text.substr(0, 4), text.substr(4, 2), text.substr(6, 2), true};
            else
                split = {text.substr(0, 2), text.substr(2, 2), text.substr(4, 4), true};
            return true;
        }
        return false;
    }
    if (secondSep == kNone)
        return false;
    const std::size_t middleLength = secondSep - firstSep - 1;
    if (middleLength < 1 || middleLength > 2 || secondSep == text.size() - 1)
        return false;

    split.first = text.substr(0, firstSep);
    split.second = text.substr(firstSep + 1, middleLength);
    split.third = text.substr(secondSep + 1);
    const std::string_view yearGroup = rules.order == DateOrder::YearFirst ? split.first : split.third;
    if (yearGroup.size() == 3)
        return false;
    split.fourDigitYear = yearGroup.size() == 4;
    return true;
}

int ApplyWindow(int shortYear, int epoch) {
    const int century = 100 * (epoch / 100);
    return shortYear >= epoch % 100 ? shortYear + century : shortYear + century + 100;
}

} // namespace

std::optional<DayCount> ParseDate(std::string_view text, const DateParseRules& rules) {
    if (text.empty())
        return rules.zeroDateIsValid ? std::optional<DayCount>(kZeroDate) : std::nullopt;
    if (text.size() > kMaxLength)
        return std::nullopt;

    Split split;
    if (!SplitGroups(text, rules, split))
        return std::nullopt;

    int day = 0, month = 0, year = 0;
    switch (rules.order) {
    case DateOrder::DayFirst:
        day = GroupValue(split.first), month = GroupValue(split.second), year = GroupValue(split.third);
        break;
    case DateOrder::MonthFirst:
        month = GroupValue(split.first), day = GroupValue(split.second), year = GroupValue(split.third);
        break;
    case DateOrder::YearFirst:
        year = GroupValue(split.first), month = GroupValue(split.second), day = GroupValue(split.third);
        break;
    }

    if (day == 0 && month == 0 && year == 0)
        return rules.zeroDateIsValid ? std::optional<DayCount>(kZeroDate) : std::nullopt;
    if (!split.fourDigitYear)
        year = ApplyWindow(year, rules.epoch);
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;

    const DayCount date = DayCountOf({year, month, day});
    if (rules.checkDate && !rules.checkDate(date))
        return std::nullopt;
    return date;
}

int DefaultEpoch(int currentYear) {
    // Round half to even, in integers: 2025 -> 202, 2035 -> 204, 2026 -> 203.
    int decade = currentYear / 10;
    const int rest = currentYear % 10;
    if (rest > 5 || (rest == 5 && decade % 2 != 0))
        ++decade;
    return 10 * decade - 80;
}

} // namespace qx
