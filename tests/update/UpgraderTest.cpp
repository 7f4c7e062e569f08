// The hand-over to the replacement program and what it does, on real files; the last case
// runs the built upgrader itself.
#include "tests/support/TempDir.h"
#include "update/FileDownload.h"
#include "update/UpgradeFiles.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace qx::update {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;
namespace fs = std::filesystem;

TEST(UpgraderArguments, CommandLineRoundTrip) {
    EXPECT_EQ(UpgraderArguments("/opt/qx/qx", UpgradeMethod::SelfUpgrade),
              (std::vector<std::string>{"/opt/qx/qx", "+/afterupgrade0"}));
    EXPECT_EQ(UpgraderArguments("/opt/qx/qx", UpgradeMethod::ExternalSetup)[1], "+/afterupgrade1");

    std::optional<UpgraderRequest> split = ReadUpgraderArguments({"/opt/my", "programs/qx", "+/afterupgrade1"});
    ASSERT_TRUE(split);
    EXPECT_EQ(split->programPath, "/opt/my programs/qx");
    EXPECT_EQ(split->restartParameters, "/afterupgrade1");
    EXPECT_EQ(split->methodDigit, '1');
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {}, {"/opt/qx/qx"}, {"/opt/qx/qx", "/afterupgrade0"}, {"/opt/qx/qx", "+"}})
        EXPECT_FALSE(ReadUpgraderArguments(bad)) << bad.size();
}

class UpgradeFolder : public ::testing::Test {
protected:
    UpgradeFolder() {
        fs::create_directories(dir.file("prog"));
        fs::create_directories(dir.file("tmp"));
    }
    std::string prog(const std::string& name) { return dir.file("prog/" + name); }
    TempDir dir;
};

TEST_F(UpgradeFolder, DownloadedFilesTakeTheirTargetsPlace) {
    WriteWholeFile(prog("qx"), "old program");
    WriteWholeFile(prog("qx.uTMP"), "new program");
    WriteWholeFile(prog("keep.dat"), "untouched");
    fs::create_directories(dir.file("appdata/qx"));
    WriteWholeFile(dir.file("appdata/qx/data.txt.uTMP"), "new data");
    WriteWholeFile(dir.file("tmp/UpgraderQueue.txt"),
                   dir.file("appdata/qx/data.txt") + "\r\n" + prog("keep.dat") + "\r\n");

    std::vector<std::string> installed = InstallDownloadedFiles(dir.file("tmp/UpgraderQueue.txt"), dir.file("prog"));
    EXPECT_EQ(installed, (std::vector<std::string>{dir.file("appdata/qx/data.txt"), prog("qx")}));
    EXPECT_EQ(ReadWholeFile(prog("qx")), "new program");
    EXPECT_EQ(ReadWholeFile(dir.file("appdata/qx/data.txt")), "new data");
    EXPECT_EQ(ReadWholeFile(prog("keep.dat")), "untouched");
    EXPECT_FALSE(fs::exists(prog("qx.uTMP")));
}

TEST_F(UpgradeFolder, AbortLeavesNoTemporaryFile) {
    WriteWholeFile(prog("a.dll.uTMP"), "partial");
    WriteWholeFile(prog("a.dll"), "real");
    WriteWholeFile(dir.file("tmp/x.txt.uTMP"), "partial");
    DeleteTemporaryDownloads(dir.file("prog"), {{"http://h/x", dir.file("tmp/x.txt"), true}});
    EXPECT_FALSE(fs::exists(prog("a.dll.uTMP")));
    EXPECT_FALSE(fs::exists(dir.file("tmp/x.txt.uTMP")));
    EXPECT_EQ(ReadWholeFile(prog("a.dll")), "real");
}

TEST_F(UpgradeFolder, TheUpgraderReplacesAndRestarts) {
    // The stand-in program records how it was started.
    WriteWholeFile(prog("standin"), "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
    fs::permissions(prog("standin"), fs::perms::owner_all);
    WriteWholeFile(prog("standin.uTMP"), "#!/bin/sh\necho \"new $@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
    WriteWholeFile(dir.file("appdata.txt.uTMP"), "new data");
    std::string upgrader = ReadWholeFile(std::string(QX_BINARY_DIR) + "/bin/upgrader");
    ASSERT_FALSE(upgrader.empty());
    std::vector<DownloadEntry> entries = {{"http://h/standin", prog("standin"), false},
                                          {"http://h/d", dir.file("appdata.txt"), true}};
    ASSERT_TRUE(StartUpgrader(upgrader, dir.file("tmp"), entries, prog("standin"), UpgradeMethod::SelfUpgrade));
    EXPECT_EQ(ReadWholeFile(dir.file("tmp/Upgrader4.exe")), upgrader);

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(prog("restarted.txt")) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ReadWholeFile(prog("restarted.txt")), "new /afterupgrade0\n");
    EXPECT_EQ(ReadWholeFile(dir.file("appdata.txt")), "new data");
    EXPECT_FALSE(fs::exists(prog("standin.uTMP")));

    DeleteLeftOverUpgrader(dir.file("tmp"));
    EXPECT_FALSE(fs::exists(dir.file("tmp/Upgrader4.exe")));
}

} // namespace
} // namespace qx::update
