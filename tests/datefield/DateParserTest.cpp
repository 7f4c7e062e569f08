#include "datefield/DateParser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qx {
namespace {

struct ParseCase {
    std::string text;
    std::optional<CivilDate> expected; // nullopt: invalid; {0,0,0}: the zero date
};

std::optional<CivilDate> ParsedCivil(const std::string& text, const DateParseRules& rules) {
    const auto parsed = ParseDate(text, rules);
    if (!parsed)
        return std::nullopt;
    if (*parsed == kZeroDate)
        return CivilDate{0, 0, 0};
    return CivilDateOf(*parsed);
}

constexpr CivilDate kZero{0, 0, 0};

void ExpectCases(const std::vector<ParseCase>& cases, const DateParseRules& rules) {
    for (const auto& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        const auto got = ParsedCivil(c.text, rules);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_EQ(*got, *c.expected);
        }
    }
}

DateParseRules Rules(DateOrder order, bool zeroDateIsValid = true, int epoch = 1940) {
    DateParseRules rules;
    rules.order = order;
    rules.epoch = epoch;
    rules.zeroDateIsValid = zeroDateIsValid;
    return rules;
}

TEST(DateParser, DayFirstCases) {
    ExpectCases(
        {
            {"31.12.2025", CivilDate{2025, 12, 31}},
            {"31.12.25", CivilDate{2025, 12, 31}},
            {"311225", CivilDate{2025, 12, 31}},
            {"31122025", CivilDate{2025, 12, 31}},
            {"1.2.5", CivilDate{2005, 2, 1}},
            {"1.2.25", CivilDate{2025, 2, 1}},
            {"29.02.2024", CivilDate{2024, 2, 29}},
            {"31.02.2025", std::nullopt},
            {"29.02.2023", std::nullopt},
            {"31.12.202", std::nullopt},
            {"31.123.2025", std::nullopt},
            {"31..12.2025", std::nullopt},
            {".31.12.2025", std::nullopt},
            {"31.12.2025.", std::nullopt},
            {"31.12.", std::nullopt},
            {"31.12", std::nullopt},
            {"3112202", std::nullopt},
            {"31122", std::nullopt},
            {"311220255", std::nullopt},
            {"31.12.20255", std::nullopt},
            {"00.00.0000", kZero},
            {"000000", kZero},
            {"00000000", kZero},
            {"0.0.0", kZero},
            {"", kZero},
            {"31.13.2025", std::nullopt},
            {"00.12.2025", std::nullopt},
            {"31.00.2025", std::nullopt},
            {"31.12.0000", std::nullopt},
            {"31-12-2025", std::nullopt},
            {"31.12.2O25", std::nullopt},
            {" 1.12.2025", std::nullopt},
            {"1.1.0025", CivilDate{25, 1, 1}},
            {"1.1.9999", CivilDate{9999, 1, 1}},
            {"30.12.1899", kZero}, // day 0 is the zero date itself
        },
        Rules(DateOrder::DayFirst));
}

TEST(DateParser, ZeroDateInvalidWhenNotAllowed) {
    ExpectCases({{"00.00.0000", std::nullopt},
                 {"000000", std::nullopt},
                 {"", std::nullopt},
                 {"31.12.2025", CivilDate{2025, 12, 31}}},
                Rules(DateOrder::DayFirst, false));
}

TEST(DateParser, YearFirstCases) {
    ExpectCases(
        {
            {"2025.12.31", CivilDate{2025, 12, 31}},
            {"25.12.31", CivilDate{2025, 12, 31}},
            {"251231", CivilDate{2025, 12, 31}},
            {"20251231", CivilDate{2025, 12, 31}},
            {"5.2.1", CivilDate{2005, 2, 1}},
            {"2024.2.29", CivilDate{2024, 2, 29}},
            {"2023.2.29", std::nullopt},
            {"202.12.31", std::nullopt},
            {"2025.123.1", std::nullopt},
            {"2025.12.", std::nullopt},
            {"0000.00.00", kZero},
            {"000000", kZero},
            {"31.12.2025", std::nullopt}, // a day-first text read year first: month 12, day 2025
        },
        Rules(DateOrder::YearFirst));
}

TEST(DateParser, MonthFirstCases) {
    ExpectCases(
        {
            {"12.31.2025", CivilDate{2025, 12, 31}},
            {"12.31.25", CivilDate{2025, 12, 31}},
            {"123125", CivilDate{2025, 12, 31}},
            {"12312025", CivilDate{2025, 12, 31}},
            {"31.12.2025", std::nullopt},
            {"2.29.2023", std::nullopt},
        },
        Rules(DateOrder::MonthFirst));
}

TEST(DateParser, EpochWindowForShortYears) {
    ExpectCases({{"1.1.25", CivilDate{2025, 1, 1}},
                 {"1.1.40", CivilDate{1940, 1, 1}},
                 {"1.1.39", CivilDate{2039, 1, 1}},
                 {"1.1.99", CivilDate{1999, 1, 1}},
                 {"1.1.5", CivilDate{2005, 1, 1}}},
                Rules(DateOrder::DayFirst, true, 1940));
    ExpectCases({{"1.1.99", CivilDate{2099, 1, 1}}, {"1.1.00", CivilDate{2000, 1, 1}}},
                Rules(DateOrder::DayFirst, true, 2000));
    ExpectCases({{"1.1.49", CivilDate{2049, 1, 1}}, {"1.1.50", CivilDate{1950, 1, 1}}},
                Rules(DateOrder::DayFirst, true, 1950));
}

TEST(DateParser, CheckDateHookHasTheLastWord) {
    DateParseRules rules = Rules(DateOrder::DayFirst);
    const DayCount newYear = DayCountOf({2026, 1, 1});
    std::vector<DayCount> asked;
    rules.checkDate = [&](DayCount date) {
        asked.push_back(date);
        return date < newYear;
    };
    EXPECT_TRUE(ParseDate("31.12.2025", rules));
    EXPECT_FALSE(ParseDate("1.1.2026", rules));
    EXPECT_FALSE(ParseDate("31.02.2025", rules)); // never reaches the hook
    EXPECT_EQ(ParseDate("", rules), kZeroDate);   // nor does the zero date
    EXPECT_EQ(asked, (std::vector<DayCount>{newYear - 1, newYear}));
}

TEST(DateParser, NeverThrowsOnOddTexts) {
    const DateParseRules rules = Rules(DateOrder::DayFirst);
    const std::vector<std::string> texts = {
        "9999999999",      "99.99.99999", "1.1.999999", "99999999",
        "\xC4\x8D.1.2025", "..",          "1.1.1.1",    std::string("1\0.1.2025", 9)};
    for (const auto& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(EXPECT_FALSE(ParseDate(text, rules)));
    }
}

TEST(DateEpoch, DefaultRoundsTheDecadeHalfToEven) {
    const std::vector<std::pair<int, int>> cases = {
        {2024, 1940}, {2025, 1940}, {2026, 1950}, {2030, 1950}, {2034, 1950},
        {2035, 1960}, {2045, 1960}, {2015, 1940}, {2020, 1940}, {1995, 1920},
    };
    for (const auto& [year, epoch] : cases)
        EXPECT_EQ(DefaultEpoch(year), epoch) << year;
}

} // namespace
} // namespace qx
