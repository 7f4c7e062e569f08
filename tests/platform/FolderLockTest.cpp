#include "platform/FolderLock.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace qx::platform {
namespace {

// One holder at a time; the lock survives the folder being deleted and made again, and it
// is free again once its holder lets go.
TEST(FolderLock, OneHolderAtATime) {
    test::TempDir dir;
    const std::string work = dir.file("TEMP/");
    ASSERT_TRUE(CreateDirectories(work));
    auto first = std::make_unique<FolderLock>(work);
    ASSERT_EQ(first->state(), FolderLock::State::Held) << first->reason();
    EXPECT_TRUE(DeleteTree(work));
    ASSERT_TRUE(CreateDirectories(work));
    EXPECT_EQ(FolderLock(work).state(), FolderLock::State::Busy);
    EXPECT_EQ(FolderLock(dir.file("TEMP")).state(), FolderLock::State::Busy); // the same folder
    first.reset();
    EXPECT_EQ(FolderLock(work).state(), FolderLock::State::Held);
}

TEST(FolderLock, AFolderWhoseLockCannotBeMadeSaysWhy) {
    test::TempDir dir;
    const FolderLock lock(dir.file("missing/TEMP/"));
    EXPECT_EQ(lock.state(), FolderLock::State::Failed);
    EXPECT_FALSE(lock.reason().empty());
}

} // namespace
} // namespace qx::platform
