#include "text/Dates.h"
#include "platform/Clock.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <vector>

namespace qx {
namespace {

struct DayCase {
    CivilDate date;
    DayCount days;
};

TEST(Dates, DayCountsAroundTheZeroDate) {
    const std::vector<DayCase> cases = {
        {{1899, 12, 30}, 0},  {{1899, 12, 31}, 1},       {{1900, 1, 1}, 2},
        {{1899, 12, 29}, -1}, {{2000, 1, 1}, 36526},     {{2020, 3, 15}, 43905},
        {{1, 1, 1}, -693593}, {{9999, 12, 31}, 2958465}, {{2024, 2, 29}, 45351},
    };
    for (const DayCase& c : cases) {
        EXPECT_EQ(DayCountOf(c.date), c.days) << c.date.year << "-" << c.date.month << "-" << c.date.day;
        EXPECT_EQ(CivilDateOf(c.days), c.date) << c.days;
    }
}

TEST(Dates, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

TEST(Dates, Formats) {
    const DayCount d = DayCountOf({2020, 3, 5});
    EXPECT_EQ(FormatDayMonthYear(d), "05.03.2020");
    EXPECT_EQ(FormatYyyymmdd(d), "20200305");
    EXPECT_EQ(FormatDayMonthYear(kZeroDate), "30.12.1899");
}

struct ParseCase {
    std::string text;
    std::optional<CivilDate> date;
};

TEST(Dates, ParseTableOfCases) {
    const std::vector<ParseCase> cases = {
        {"15.03.2020", CivilDate{2020, 3, 15}},
        {"5.3.2020", CivilDate{2020, 3, 5}},
        {"29.02.2024", CivilDate{2024, 2, 29}},
        {"15.03.2020 10:30:00", CivilDate{2020, 3, 15}},
        {"15.03.2020 7:05", CivilDate{2020, 3, 15}},
        {"29.02.2023", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"15.13.2020", std::nullopt},
        {"15-03-2020", std::nullopt},
        {"15.03.20", std::nullopt},
        {"15.03.2020x", std::nullopt},
        {"15.03.2020 25:00", std::nullopt},
        {"00.03.2020", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        const auto parsed = ParseDayMonthYear(c.text);
        ASSERT_EQ(parsed.has_value(), c.date.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(CivilDateOf(*parsed), *c.date) << c.text;
        }
    }
}

TEST(Dates, TodayFollowsTheReplaceableClock) {
    test::SetEnvironment("TZ", "UTC");
    tzset();
    platform::SetClockForTests([] { return std::int64_t{1584230400}; }); // 2020-03-15 00:00 UTC
    EXPECT_EQ(CivilDateOf(platform::Today()), (CivilDate{2020, 3, 15}));
    EXPECT_EQ(platform::LocalUtcOffsetMinutes(1584230400), 0);
    platform::SetClockForTests({});
    EXPECT_GT(platform::NowUnix(), 1584230400);
}

} // namespace
} // namespace qx
