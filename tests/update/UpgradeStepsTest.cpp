#include "update/UpgradeSteps.h"

#include <gtest/gtest.h>

namespace qx::update {
namespace {

TEST(UpgradeSteps, ProgressOfAFile) {
    struct Case {
        const char* name;
        int number, count;
        std::optional<std::uint64_t> announced;
        std::uint64_t received;
        double seconds;
        int file, total;
        const char* rate;
        const char* remaining;
    };
    const std::vector<Case> cases = {
        {"half of the second of four", 2, 4, 2048, 1024, 1.0, 50, 37, "Hitrost prenosa: 1,0 Kb/s",
         "Predvideni čas zaključka: 0:00:01"},
        {"no time yet: no rate", 1, 1, 1000, 0, 0.0, 0, 0, "", ""},
        {"no size announced: no bar, no estimate", 1, 2, std::nullopt, 4096, 2.0, 0, 0, "Hitrost prenosa: 2,0 Kb/s",
         ""},
        {"more than announced: no estimate", 1, 1, 100, 200, 1.0, 200, 200, "Hitrost prenosa: 0,2 Kb/s", ""},
        {"an empty queue counts as one file", 1, 0, 10, 10, 1.0, 100, 100, "Hitrost prenosa: 0,0 Kb/s",
         "Predvideni čas zaključka: 0:00:00"},
    };
    for (const Case& c : cases) {
        const FileProgressView view = FileProgressOf(c.number, c.count, c.announced, c.received, c.seconds);
        EXPECT_EQ(view.filePercent, c.file) << c.name;
        EXPECT_EQ(view.totalPercent, c.total) << c.name;
        EXPECT_EQ(view.rate, c.rate) << c.name;
        EXPECT_EQ(view.remaining, c.remaining) << c.name;
    }
    EXPECT_EQ(TotalPercentAtStart(3, 4), 50);
}

TEST(UpgradeSteps, TheStepAfterEachOutcomeOfAFile) {
    const std::vector<std::pair<TransferOutcome, AfterFile>> cases = {
        {TransferOutcome::Complete, AfterFile::Next},
        {TransferOutcome::ErrorStatus, AfterFile::AskToSkip},
        {TransferOutcome::BrokenOff, AfterFile::ConnectionLost},
        {TransferOutcome::TooLarge, AfterFile::ConnectionLost},
        {TransferOutcome::WriteFailed, AfterFile::NotWritable},
        {TransferOutcome::NoAnswer, AfterFile::Stop},
        {TransferOutcome::Cancelled, AfterFile::Stop},
    };
    for (const auto& [outcome, step] : cases)
        EXPECT_EQ(StepAfterFile(outcome), step) << static_cast<int>(outcome);
}

} // namespace
} // namespace qx::update
