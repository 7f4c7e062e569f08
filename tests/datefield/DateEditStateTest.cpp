#include "datefield/DateEditState.h"

#include "platform/Clock.h"
#include "tests/support/ErrorText.h"
#include "text/Error.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

constexpr const char* kSlovenianShortFormat = "d. MM. yy";

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

using test::ErrorText;

TEST(DateOrder, FormatChoiceTakesTheFirstLetter) {
    const std::vector<std::pair<std::string, DateOrder>> cases = {
        {"dd/mm/yyyy", DateOrder::DayFirst}, {"d", DateOrder::DayFirst},           {"Mm", DateOrder::MonthFirst},
        {"m/d/y", DateOrder::MonthFirst},    {"yyyy/mm/dd", DateOrder::YearFirst}, {"", DateOrder::YearFirst},
        {"x", DateOrder::YearFirst},
    };
    for (const auto& [format, order] : cases)
        EXPECT_EQ(DateOrderOfFormat(format), order) << format;
}

TEST(DateOrder, SystemShortFormats) {
    EXPECT_EQ(DateOrderOfSystemFormat(kSlovenianShortFormat), DateOrder::DayFirst);
    EXPECT_EQ(DateOrderOfSystemFormat("M/d/yy"), DateOrder::MonthFirst);
    EXPECT_EQ(DateOrderOfSystemFormat("yyyy-MM-dd"), DateOrder::YearFirst);
    EXPECT_EQ(DateOrderOfSystemFormat("'le' d/M/yy"), DateOrder::YearFirst); // its first letter is "l"
}

TEST(DateOrder, MasksAndFullForms) {
    EXPECT_EQ(BlankDateMask(DateOrder::DayFirst, '.'), "00.00.0000");
    EXPECT_EQ(BlankDateMask(DateOrder::MonthFirst, '.'), "00.00.0000");
    EXPECT_EQ(BlankDateMask(DateOrder::YearFirst, '.'), "0000.00.00");
    EXPECT_EQ(BlankDateMask(DateOrder::YearFirst, '/'), "0000/00/00");
    EXPECT_EQ(FormatDate(Day(2005, 2, 1), DateOrder::DayFirst, '.'), "01.02.2005");
    EXPECT_EQ(FormatDate(Day(2005, 2, 1), DateOrder::MonthFirst, '.'), "02.01.2005");
    EXPECT_EQ(FormatDate(Day(2005, 2, 1), DateOrder::YearFirst, '.'), "2005.02.01");
    EXPECT_EQ(FormatDate(Day(25, 2, 1), DateOrder::DayFirst, '.'), "01.02.0025");
}

TEST(DateEditState, StartsWithTodayAndTheSystemOrder) {
    const DateEditState state(kSlovenianShortFormat);
    EXPECT_EQ(state.lastValidDate(), platform::Today());
    EXPECT_EQ(state.order(), DateOrder::DayFirst);
    EXPECT_TRUE(state.useOSDateFormat());
    EXPECT_EQ(state.dateFormat(), "");
    EXPECT_TRUE(state.zeroDateIsValid());
    EXPECT_EQ(state.epoch(), DefaultEpoch(CivilDateOf(platform::Today()).year));
}

TEST(DateEditState, EpochFollowsTheYearOfToday) {
    // Mid-June noon UTC, so any local time zone stays in the same year.
    const std::vector<std::pair<std::int64_t, int>> cases = {
        {1718452800, 1940}, // 2024
        {1749988800, 1940}, // 2025
        {1781524800, 1950}, // 2026
        {2065521600, 1960}, // 2035
    };
    for (const auto& [now, epoch] : cases) {
        platform::SetClockForTests([now = now] { return now; });
        const DateEditState state(kSlovenianShortFormat);
        EXPECT_EQ(state.epoch(), epoch) << now;
        EXPECT_EQ(state.lastValidDate(), platform::Today());
    }
    platform::SetClockForTests({});
}

TEST(DateEditState, DisplayRule) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));
    EXPECT_EQ(state.displayText(false), "31.12.2025");
    EXPECT_EQ(state.displayText(true), "31.12.2025");
    state.commit(kZeroDate);
    EXPECT_EQ(state.displayText(false), "");
    EXPECT_EQ(state.displayText(true), "00.00.0000");
}

TEST(DateEditState, ReadingTheDateFallsBackToTheCommittedOne) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));
    EXPECT_EQ(state.dateFor("1.2.25"), Day(2025, 2, 1));
    EXPECT_EQ(state.dateFor("31.02.2025"), Day(2025, 12, 31));
    EXPECT_EQ(state.dateFor(""), kZeroDate);
    state.setZeroDateIsValid(false);
    EXPECT_EQ(state.dateFor(""), Day(2025, 12, 31));
}

TEST(DateEditState, CommitErrors) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));
    state.setZeroDateIsValid(false);
    EXPECT_EQ(ErrorText([&] { state.commit(kZeroDate); }), "Invalid Date: 00.00.0000");
    state.setCheckDate([](DayCount date) { return date != Day(2026, 1, 1); });
    EXPECT_EQ(ErrorText([&] { state.commit(Day(2026, 1, 1)); }), "Invalid Date: 01.01.2026");
    EXPECT_EQ(state.lastValidDate(), Day(2025, 12, 31));

    state.setUseOSDateFormat(false, kSlovenianShortFormat);
    state.setDateFormat("y");
    EXPECT_EQ(ErrorText([&] { state.commit(kZeroDate); }), "Invalid Date: 0000.00.00");
    EXPECT_EQ(ErrorText([&] { state.commit(Day(2026, 1, 1)); }), "Invalid Date: 2026.01.01");
}

TEST(DateEditState, EpochWritesOutsideTheRangeAreIgnored) {
    DateEditState state(kSlovenianShortFormat);
    state.setEpoch(1940);
    for (int ignored : {1899, 2101, 0, -5})
        state.setEpoch(ignored);
    EXPECT_EQ(state.epoch(), 1940);
    state.setEpoch(1900);
    EXPECT_EQ(state.epoch(), 1900);
    state.setEpoch(2100);
    EXPECT_EQ(state.epoch(), 2100);
    state.setEpoch(2000);
    EXPECT_EQ(state.parse("1.1.99"), Day(2099, 1, 1));
}

TEST(DateEditState, DateFormatFollowsTheSystemWhileAsked) {
    DateEditState state(kSlovenianShortFormat);
    EXPECT_FALSE(state.setDateFormat("yyyy/mm/dd"));
    EXPECT_EQ(state.order(), DateOrder::DayFirst);

    EXPECT_TRUE(state.setUseOSDateFormat(false, kSlovenianShortFormat));
    EXPECT_EQ(state.dateFormat(), "dd/mm/yyyy"); // the current format is kept
    EXPECT_TRUE(state.setDateFormat("Month"));
    EXPECT_EQ(state.dateFormat(), "mm/dd/yyyy");
    EXPECT_EQ(state.blankMask(), "00.00.0000");
    EXPECT_TRUE(state.setDateFormat(""));
    EXPECT_EQ(state.dateFormat(), "yyyy/mm/dd");
    EXPECT_EQ(state.blankMask(), "0000.00.00");

    EXPECT_FALSE(state.setUseOSDateFormat(false, kSlovenianShortFormat));
    EXPECT_TRUE(state.setUseOSDateFormat(true, kSlovenianShortFormat));
    EXPECT_EQ(state.order(), DateOrder::DayFirst);
    EXPECT_EQ(state.dateFormat(), "");
}

TEST(DateEditState, StepsFromTheCommittedDate) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));

    auto step = state.step(+1, "31.12.2025");
    EXPECT_FALSE(step.beep);
    EXPECT_EQ(step.date, Day(2026, 1, 1));
    // A valid date still being typed is not where the step starts.
    EXPECT_EQ(state.step(-1, "5.5.2020").date, Day(2025, 12, 30));
    EXPECT_TRUE(state.step(+1, "31.02.2025").beep);

    state.setCheckDate([](DayCount date) { return date <= Day(2025, 12, 31); });
    step = state.step(+1, "31.12.2025");
    EXPECT_FALSE(step.beep);
    EXPECT_FALSE(step.date);

    state.commit(kZeroDate);
    EXPECT_TRUE(state.step(+1, "").beep);
}

TEST(DateEditState, KeysOfTheField) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));
    using Effect = DateEditState::KeyEffect;
    struct Case {
        const char* name;
        char32_t key;
        const char* text;
        bool selected;
        Effect effect;
        DayCount date;
    };
    const std::vector<Case> cases = {
        {"Escape shows the committed date", 27, "31.1", false, Effect::ShowCommitted, kZeroDate},
        {"backspace is the edit's own", 8, "31.12.2025", false, Effect::PassThrough, kZeroDate},
        {"Ctrl+V is the edit's own", 22, "", false, Effect::PassThrough, kZeroDate},
        {"* commits today", U'*', "31.12.2025", false, Effect::CommitDate, platform::Today()},
        {"/ empties", U'/', "31.12.2025", false, Effect::Empty, kZeroDate},
        {"+ steps from the committed date", U'+', "1.1.2024", false, Effect::CommitDate, Day(2026, 1, 1)},
        {"- steps back", U'-', "31.12.2025", false, Effect::CommitDate, Day(2025, 12, 30)},
        {"+ on an invalid text beeps", U'+', "31.02.2025", false, Effect::Beep, kZeroDate},
        {"a digit in a short text", U'5', "31.12", false, Effect::Insert, kZeroDate},
        {"the separator", U'.', "31", false, Effect::Insert, kZeroDate},
        {"a digit in a full text cuts first", U'5', "31.12.2025", false, Effect::CutThenInsert, kZeroDate},
        {"a digit over a selection replaces it", U'5', "31.12.2025", true, Effect::Insert, kZeroDate},
        {"a letter beeps", U'a', "", false, Effect::Beep, kZeroDate},
        {"another separator beeps", U',', "", false, Effect::Beep, kZeroDate},
        {"a letter beyond ASCII beeps", U'č', "", false, Effect::Beep, kZeroDate},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        const DateEditState::KeyOutcome outcome = state.key(c.key, text, text.size(), c.selected);
        EXPECT_EQ(outcome.effect, c.effect) << c.name;
        if (c.effect == Effect::CommitDate)
            EXPECT_EQ(outcome.date, c.date) << c.name;
    }
}

TEST(DateEditState, AStepTheCheckRefusesOnlySelects) {
    DateEditState state(kSlovenianShortFormat);
    state.commit(Day(2025, 12, 31));
    state.setCheckDate([](DayCount date) { return date <= Day(2025, 12, 31); });
    EXPECT_EQ(state.key(U'+', "31.12.2025", 10, false).effect, DateEditState::KeyEffect::SelectAll);
    state.commit(kZeroDate);
    EXPECT_EQ(state.key(U'+', "", 0, false).effect, DateEditState::KeyEffect::Beep); // nothing to step from
}

TEST(DateEditState, LeavingCommitsAValidEntryAndRefusesAnInvalidOne) {
    DateEditState state(kSlovenianShortFormat);
    state.setEpoch(1940);
    EXPECT_EQ(state.leave("1.2.5"), std::nullopt);
    EXPECT_EQ(state.lastValidDate(), Day(2005, 2, 1));
    EXPECT_EQ(state.leave("31.02.2025"), std::optional<std::string>("Invalid Date: \"31.02.2025\""));
    EXPECT_EQ(state.lastValidDate(), Day(2005, 2, 1)); // typing never changes the committed date
    EXPECT_EQ(state.leave(""), std::nullopt);
    EXPECT_EQ(state.lastValidDate(), kZeroDate);
    state.setZeroDateIsValid(false);
    EXPECT_EQ(state.leave(""), std::optional<std::string>("Invalid Date: \"\""));
}

} // namespace
} // namespace qx
