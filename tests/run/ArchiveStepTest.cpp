#include "run/ArchiveStep.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "run/ArchiveName.h"
#include "run/ArchivePassword.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "tests/zip/ArchiveTestSupport.h"
#include "text/Error.h"
#include "zip/FileSelection.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

using test::Quote;
using test::RunCommand;

constexpr const char* kDamaged = "V arhivski datoteki so napake.\nPonovi arhiviranje.";
constexpr const char* kMismatch = "Število datotek v kodiranih podatkih se ne ujema.\nPonovite prenos!";

class ArchiveStepTest : public testing::Test {
protected:
    void SetUp() override {
        session.selection.workDir = dir.path() + "TEMP/";
        session.selection.outputDir = dir.path() + "izhod/2024"; // missing, without a trailing separator
        session.selection.userDir = "FIRMA.P";
        platform::CreateDirectories(session.selection.workDir);
        ui.logVisible = true;
    }

    void addTable(const std::string& name, std::size_t size) {
        test::WriteWholeFile(session.selection.workDir + name, test::TableLikeBytes(size, 21));
    }

    std::string archivePath() const { return dir.path() + "izhod/2024/FIRMAP.ZIP"; }

    test::TempDir dir;
    Session session;
    test::RecordingOperator ui;
    ArchiveStep step{session, ui};
    int dispatched = 0;
    ArchiveStep::Dispatch dispatch = [this] { ++dispatched; };
};

TEST_F(ArchiveStepTest, PacksChecksAndDispatches) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    addTable("popa.dbf", 120000);
    addTable("pers.dbf", 3000);
    step.run(dispatch);

    EXPECT_EQ(session.run.fileCount, 2);
    EXPECT_EQ(dispatched, 1);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.log.size(), 8u);
    EXPECT_EQ((std::vector<std::string>(ui.log.begin(), ui.log.begin() + 3)),
              (std::vector<std::string>{"", "Stiskanje podatkov", ""}));
    EXPECT_EQ((std::set<std::string>{ui.log[3], ui.log[4]}), (std::set<std::string>{"POPA.DBF", "PERS.DBF"}));
    EXPECT_EQ((std::vector<std::string>(ui.log.begin() + 5, ui.log.end())),
              (std::vector<std::string>{"", "Kontrola zapisa...", ""}));
    EXPECT_FALSE(ui.barVisible[ProgressBar::File]);
    EXPECT_FALSE(ui.barVisible[ProgressBar::Total]);
    EXPECT_FALSE(ui.logVisible);
    EXPECT_EQ(ui.barValue[ProgressBar::File], 0);
    EXPECT_EQ(ui.barValue[ProgressBar::Total], 100);
    EXPECT_GT(ui.processed, 8);

    EXPECT_EQ(step.archivePath(), archivePath());
    const auto check = RunCommand("unzip -t -P " + Quote(ArchivePassword()) + " " + Quote(archivePath()));
    EXPECT_EQ(check.exitCode, 0) << check.output;
}

TEST_F(ArchiveStepTest, NonTableFileGivesTheCountMessageAndStillDispatches) {
    addTable("popa.dbf", 1000);
    addTable("notes.txt", 10);
    addTable(".skrita.dbf", 10);
    step.run(dispatch);
    EXPECT_EQ(session.run.fileCount, 3);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kMismatch});
    EXPECT_EQ(dispatched, 1);
}

TEST_F(ArchiveStepTest, EmptyWorkFolderDispatchesTheEmptyArchive) {
    step.run(dispatch);
    EXPECT_EQ(session.run.fileCount, 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dispatched, 1);
    EXPECT_EQ(test::ReadWholeFile(archivePath()).size(), 22u);
}

TEST_F(ArchiveStepTest, OldArchiveIsReplaced) {
    platform::CreateDirectories(dir.path() + "izhod/2024");
    test::WriteWholeFile(archivePath(), "old");
    addTable("popa.dbf", 1000);
    step.run(dispatch);
    EXPECT_EQ(dispatched, 1);
    EXPECT_TRUE(ui.messages.empty());
}

// An archive whose two entries carry wrong CRC values: the damage message once, no dispatch.
TEST_F(ArchiveStepTest, DamagedEntriesGiveOneMessageAndNoDispatch) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    addTable("popa.dbf", 5000);
    addTable("pers.dbf", 5000);
    session.run.fileCount = 2;
    const std::string archive = dir.path() + "bad.zip";
    const auto made = RunCommand("cd " + Quote(session.selection.workDir) + " && zip -q -P " +
                                 Quote(ArchivePassword()) + " " + Quote(archive) + " popa.dbf pers.dbf");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    std::string data = test::ReadWholeFile(archive);
    const auto* end = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 22);
    std::size_t record = end[16] | end[17] << 8 | end[18] << 16 | end[19] << 24;
    for (int i = 0; i < 2; ++i) { // the CRC's low byte of both central records
        data[record + 16] = static_cast<char>(data[record + 16] ^ 0x5A);
        const auto* r = reinterpret_cast<const unsigned char*>(data.data() + record);
        record += 46 + (r[28] | r[29] << 8) + (r[30] | r[31] << 8) + (r[32] | r[33] << 8);
    }
    test::WriteWholeFile(archive, data);

    int started = 0;
    step.reader().setPassword(platform::ToAnsi(ArchivePassword()));
    step.writer().setArchivePath(archive);
    step.reader().setEvents(
        {.entryStart = [&](const std::string&) { ++started; }, .filePercent = {}, .totalPercent = {}});
    step.OnArchiveWritten(2, dispatch);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kDamaged});
    EXPECT_EQ(started, 1);
    EXPECT_EQ(dispatched, 0);
    EXPECT_FALSE(ui.logVisible);
}

TEST_F(ArchiveStepTest, UndecodableStreamEndsTheHandlerWithTheDecoderError) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    addTable("popa.dbf", 50000);
    const std::string archive = dir.path() + "plain.zip";
    ASSERT_EQ(
        RunCommand("cd " + Quote(session.selection.workDir) + " && zip -q " + Quote(archive) + " popa.dbf").exitCode,
        0);
    std::string data = test::ReadWholeFile(archive);
    const std::size_t dataStart = 30 + 8 + (static_cast<unsigned char>(data[28]) | data[29] << 8);
    data[dataStart] = static_cast<char>(0xFF); // block type 3 is invalid
    test::WriteWholeFile(archive, data);

    session.run.fileCount = 1;
    step.writer().setArchivePath(archive);
    ui.barVisible[ProgressBar::File] = true;
    try {
        step.OnArchiveWritten(1, dispatch);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "error");
    }
    EXPECT_EQ(dispatched, 0);
    EXPECT_TRUE(ui.logVisible);
    EXPECT_TRUE(ui.barVisible[ProgressBar::File]);
}

TEST(ArchiveNameTest, FollowsTheRule) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ABCDEFGH.P", "ABCDEFGH.ZIP"},
        {"ABCDEFGHI.P", "ABCDEFGH.ZIP"},
        {"ABCDEFG.P", "ABCDEFGP.ZIP"},
        {"FIRMA.P", "FIRMAP.ZIP"},
        {"FIRMA._P", "FIRMA._P.ZIP"},
        {"SKUPNO    ", "SKUPNO"},
        {" A._B ", " A._B .ZIP"},
        {"  FIRMA.P  ", "FIRMAP.ZIP"},
        {"X", "X"},
        {".P", "P.ZIP"},
        {"FIRMA", "FIRMA"},
        {"ŽABA.P", "ŽABAP.ZIP"},
        {"ЖАБА.P", "????P.ZIP"},
    };
    for (const auto& [userDir, name] : cases)
        EXPECT_EQ(ArchiveName(userDir), name) << userDir;
}

TEST(CountFolderFilesTest, CountsEveryFileButNoFolder) {
    test::TempDir dir;
    for (const char* name : {"popa.dbf", "notes.txt", ".skrita.dbf", "brez"})
        test::WriteWholeFile(dir.file(name), "x");
    platform::CreateDirectories(dir.file("mapa"));
    platform::SetReadOnly(dir.file("brez"), true);
    EXPECT_EQ(CountFolderFiles(dir.path()), 4);
    std::string withoutSeparator = dir.path();
    withoutSeparator.pop_back();
    EXPECT_EQ(CountFolderFiles(withoutSeparator), 4);
    EXPECT_EQ(CountFolderFiles(dir.file("missing")), 0);
}

} // namespace
} // namespace qx
