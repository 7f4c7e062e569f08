// The file system's calls where the system fails them: a full disk, a device that cannot be
// read, a second file system, links that point out of a folder.
#include "platform/FileSystem.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <sys/stat.h>

namespace qx::platform {
namespace {

using test::ReadWholeFile;
using test::SmallFileSystem;
using test::TempDir;
using test::WriteWholeFile;

struct CopyFailure {
    const char* name;
    const char* source;   // "" for the test's own 200 KiB file
    std::size_t diskSize; // of the target's file system; 0 for the ordinary one
    const char* reason;
};

// A copy that could not be finished leaves nothing under the target's name, and says why.
TEST(FileSystemFaults, ACopyCutShortLeavesNoTargetAndSaysWhy) {
    const std::vector<CopyFailure> cases = {
        {"full disk", "", 64 << 10, "No space left on device"},
        {"device that cannot be read", "/proc/self/mem", 0, "Input/output error"},
        {"folder instead of a file", "/", 0, "Is a directory"},
        {"missing source", "/nowhere/POPA.DBF", 0, "No such file or directory"},
    };
    for (const CopyFailure& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::string source = c.source;
        if (source.empty()) {
            source = dir.file("big.dbf");
            WriteWholeFile(source, std::string(200 << 10, 'x'));
        }
        std::unique_ptr<SmallFileSystem> small;
        if (c.diskSize) {
            small = std::make_unique<SmallFileSystem>(dir.file("disk"), c.diskSize);
            if (!small->mounted()) {
                std::cout << "skipped: " << small->skipReason() << "\n";
                continue;
            }
        }
        const std::string target = dir.file(c.diskSize ? "disk/copy.dbf" : "copy.dbf");
        std::string reason;
        EXPECT_FALSE(CopyFileReplacing(source, target, &reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_FALSE(PathExists(target));
    }
}

// A move onto another file system copies, then replaces, and leaves the target whole or as it was.
TEST(FileSystemFaults, RenameAcrossFileSystems) {
    TempDir dir;
    SmallFileSystem other(dir.file("stick"), 256 << 10);
    QX_SKIP_UNLESS_MOUNTED(other);
    WriteWholeFile(dir.file("new.zip"), std::string(100 << 10, 'n'));
    WriteWholeFile(dir.file("stick/FIRMAP.ZIP"), "old");
    std::string reason;
    ASSERT_TRUE(RenameReplacing(dir.file("new.zip"), dir.file("stick/FIRMAP.ZIP"), &reason)) << reason;
    EXPECT_EQ(ReadWholeFile(dir.file("stick/FIRMAP.ZIP")), std::string(100 << 10, 'n'));
    EXPECT_FALSE(PathExists(dir.file("new.zip")));
    EXPECT_EQ(ListDirectory(dir.file("stick")).size(), 1u);

    // No room for the copy: the old file stays, the source stays, and the reason is given.
    WriteWholeFile(dir.file("huge.zip"), std::string(300 << 10, 'h'));
    EXPECT_FALSE(RenameReplacing(dir.file("huge.zip"), dir.file("stick/FIRMAP.ZIP"), &reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_EQ(ReadWholeFile(dir.file("stick/FIRMAP.ZIP")), std::string(100 << 10, 'n'));
    EXPECT_TRUE(PathExists(dir.file("huge.zip")));
    EXPECT_EQ(ListDirectory(dir.file("stick")).size(), 1u);
}

// Emptying a folder removes its links as links: what they point to outside keeps its
// contents and its permissions.
TEST(FileSystemFaults, DeleteTreeNeverFollowsLinks) {
    TempDir dir;
    ASSERT_TRUE(CreateDirectories(dir.file("outside/deep")));
    WriteWholeFile(dir.file("outside/kept.dbf"), "kept");
    WriteWholeFile(dir.file("outside/deep/also.dbf"), "also");
    ASSERT_EQ(chmod(dir.file("outside/kept.dbf").c_str(), 0444), 0);
    ASSERT_TRUE(CreateDirectories(dir.file("TEMP")));
    ASSERT_EQ(chmod(dir.file("outside").c_str(), 0555), 0);
    std::filesystem::create_symlink(dir.file("outside/kept.dbf"), dir.file("TEMP/popa.dbf"));
    std::filesystem::create_directory_symlink(dir.file("outside"), dir.file("TEMP/mapa"));

    EXPECT_TRUE(DeleteTree(dir.file("TEMP")));
    EXPECT_FALSE(PathExists(dir.file("TEMP")));
    EXPECT_EQ(ReadWholeFile(dir.file("outside/kept.dbf")), "kept");
    EXPECT_EQ(ReadWholeFile(dir.file("outside/deep/also.dbf")), "also");
    struct stat st {};
    ASSERT_EQ(stat(dir.file("outside/kept.dbf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_EQ(stat(dir.file("outside").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0555u);
    chmod(dir.file("outside").c_str(), 0755); // so that the test's folder can go
}

} // namespace
} // namespace qx::platform
