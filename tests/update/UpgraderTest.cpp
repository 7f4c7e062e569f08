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

    // The stand-in program records how it was started.
    void StandIn(const std::string& path, const std::string& word) {
        WriteWholeFile(path, "#!/bin/sh\necho \"" + word + "$@\" > \"$(dirname \"$0\")/restarted.txt\"\n");
        fs::permissions(path, fs::perms::owner_all);
    }
    // What the restarted stand-in in `folder` recorded, once it has run.
    std::string Restarted(const std::string& folder) {
        std::string record = folder + "/restarted.txt";
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return ReadWholeFile(record);
    }
    std::string UpgraderBytes() { return ReadWholeFile(std::string(QX_BINARY_DIR) + "/bin/upgrader"); }
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

    std::optional<std::vector<std::string>> installed =
        InstallDownloadedFiles(dir.file("tmp/UpgraderQueue.txt"), dir.file("prog"));
    ASSERT_TRUE(installed);
    EXPECT_EQ(*installed, (std::vector<std::string>{dir.file("appdata/qx/data.txt"), prog("qx")}));
    EXPECT_EQ(ReadWholeFile(prog("qx")), "new program");
    EXPECT_EQ(ReadWholeFile(dir.file("appdata/qx/data.txt")), "new data");
    EXPECT_EQ(ReadWholeFile(prog("keep.dat")), "untouched");
    EXPECT_FALSE(fs::exists(prog("qx.uTMP")));
    EXPECT_FALSE(fs::exists(prog("qx.uOLD")));
}

// A target whose old file cannot be moved aside (here: its backup place is taken by a folder
// that is not empty; on Windows a file held open) stops the whole replacement.
TEST_F(UpgradeFolder, OneTargetThatCannotBeReplacedLeavesEveryFileAsItWas) {
    for (const char* name : {"a.dll", "b.dll", "qx"}) {
        WriteWholeFile(prog(name), std::string("old ") + name);
        WriteWholeFile(prog(name) + ".uTMP", std::string("new ") + name);
    }
    fs::create_directories(prog("qx.uOLD/in use"));
    std::optional<std::vector<std::string>> installed =
        InstallDownloadedFiles(dir.file("tmp/none.txt"), dir.file("prog"));
    EXPECT_FALSE(installed);
    for (const char* name : {"a.dll", "b.dll", "qx"}) {
        EXPECT_EQ(ReadWholeFile(prog(name)), std::string("old ") + name) << name;
        EXPECT_FALSE(fs::exists(prog(name) + ".uTMP")) << name;
    }
    EXPECT_FALSE(fs::exists(prog("a.dll.uOLD")));
    EXPECT_FALSE(fs::exists(prog("b.dll.uOLD")));
}

TEST_F(UpgradeFolder, AbortLeavesNoTemporaryFile) {
    WriteWholeFile(prog("a.dll.uTMP"), "partial");
    WriteWholeFile(prog("a.dll"), "real");
    WriteWholeFile(dir.file("tmp/x.txt.uTMP"), "partial");
    DeleteTemporaryDownloads(dir.file("prog"), {{"http://h/x", dir.file("tmp/x.txt"), true, 0, ""}});
    EXPECT_FALSE(fs::exists(prog("a.dll.uTMP")));
    EXPECT_FALSE(fs::exists(dir.file("tmp/x.txt.uTMP")));
    EXPECT_EQ(ReadWholeFile(prog("a.dll")), "real");
}

TEST_F(UpgradeFolder, TheUpgraderReplacesAndRestarts) {
    StandIn(prog("standin"), "");
    StandIn(prog("standin.uTMP"), "new ");
    WriteWholeFile(dir.file("appdata.txt.uTMP"), "new data");
    std::string upgrader = UpgraderBytes();
    ASSERT_FALSE(upgrader.empty());
    std::vector<DownloadEntry> entries = {{"http://h/standin", prog("standin"), false, 0, ""},
                                          {"http://h/d", dir.file("appdata.txt"), true, 0, ""}};
    ASSERT_TRUE(StartUpgrader(upgrader, dir.file("tmp"), entries, prog("standin"), UpgradeMethod::SelfUpgrade));
    EXPECT_EQ(ReadWholeFile(dir.file("tmp/Upgrader4.exe")), upgrader);

    EXPECT_EQ(Restarted(dir.file("prog")), "new /afterupgrade0\n");
    EXPECT_EQ(ReadWholeFile(dir.file("appdata.txt")), "new data");
    EXPECT_FALSE(fs::exists(prog("standin.uTMP")));

    DeleteLeftOverUpgrader(dir.file("tmp"));
    EXPECT_FALSE(fs::exists(dir.file("tmp/Upgrader4.exe")));
}

TEST_F(UpgradeFolder, TheUpgraderStartsTheOldProgramWhenOneFileCannotBeReplaced) {
    fs::create_directories(dir.file("prog/my programs"));
    std::string program = prog("my programs/standin");
    StandIn(program, "old ");
    StandIn(program + ".uTMP", "new ");
    WriteWholeFile(prog("my programs/data.dll"), "old data");
    WriteWholeFile(prog("my programs/data.dll.uTMP"), "new data");
    fs::create_directories(prog("my programs/data.dll.uOLD/in use"));
    std::vector<DownloadEntry> entries = {{"http://h/standin", program, false, 0, ""},
                                          {"http://h/data.dll", prog("my programs/data.dll"), false, 0, ""}};
    ASSERT_TRUE(StartUpgrader(UpgraderBytes(), dir.file("tmp"), entries, program, UpgradeMethod::SelfUpgrade));

    EXPECT_EQ(Restarted(prog("my programs")), "old /afterupgrade0\n");
    EXPECT_EQ(ReadWholeFile(prog("my programs/data.dll")), "old data");
    EXPECT_FALSE(fs::exists(program + ".uTMP"));
    EXPECT_FALSE(fs::exists(prog("my programs/data.dll.uTMP")));
    EXPECT_FALSE(fs::exists(program + ".uOLD"));
}

} // namespace
} // namespace qx::update
