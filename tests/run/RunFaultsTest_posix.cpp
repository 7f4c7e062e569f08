// Runs that meet the faults users meet: a full disk, a table that cannot be read, a work
// folder that cannot be emptied, a damaged table, a second run from another process. None of
// them ends in the success message, the data root stays as it was, and no file stands under
// the archive's name unless it is a whole archive.
#include "tests/run/RunFixture.h"

#include "dbf/Bytes.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "run/ArchivePassword.h"
#include "run/ErrorGuard.h"
#include "run/ExportRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LinuxPeers.h"
#include "tests/support/SmallFileSystem.h"
#include "tests/zip/ArchiveTestSupport.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

namespace qx::test {
namespace {

const char* const kSuccess = "Prepis podatkov je uspešno končan.";
const char* const kRunInProgress = "Prenos podatkov že poteka. Počakajte, da se konča.";

// Every file of a folder with its bytes (a link with its target), the output folder left out.
std::map<std::string, std::string> Contents(const std::string& folder, const std::string& leaveOut) {
    std::map<std::string, std::string> contents;
    namespace fs = std::filesystem;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (name == leaveOut) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink())
            contents[name] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            contents[name] = ReadWholeFile(it->path().string());
    }
    return contents;
}

class RunFaultsTest : public RunFixture {
protected:
    void SetUp() override {
        RunFixture::SetUp();
        selectUser("FIRMA.P");
        TUserSettings settings = sampleSettings("FIRMA.P");
        settings.Kopiraj1 = true; // whole-file copies of every table
        writeSettings("FIRMA.P", settings);
        session.selection.outputDir = outputDir();
    }
    std::string outputDir() const { return dir_.path() + "izhod/"; }
    std::string archive() const { return outputDir() + "FIRMAP.ZIP"; }
    std::string sourceOf(const std::string& name) const {
        return platform::PathExists(userFolder("FIRMA.P") + name) ? userFolder("FIRMA.P") + name : root() + name;
    }
    void run() {
        RunGuarded(ui, [&] { StartTransfer(session, ui); });
    }
    // What must hold after every failed run.
    void expectFailedCleanly(const std::map<std::string, std::string>& rootBefore) {
        EXPECT_EQ(std::count(ui.messages.begin(), ui.messages.end(), kSuccess), 0);
        EXPECT_TRUE(Contents(root(), "PRENOS") == rootBefore) << "the data root changed";
        if (platform::PathExists(archive())) {
            const auto check = RunCommand("unzip -t -P " + Quote(ArchivePassword()) + " " + Quote(archive()));
            EXPECT_EQ(check.exitCode, 0) << "a broken file under the archive's name\n" << check.output;
        }
    }
};

struct CopyFault {
    const char* name;
    // Sets the fault up; what it returns keeps it in place for the run.
    std::function<std::unique_ptr<SmallFileSystem>(RunFaultsTest&)> arrange;
    std::vector<std::string> errorMentions;
};

class CopyFaultTest : public RunFaultsTest, public ::testing::WithParamInterface<CopyFault> {
public:
    using RunFaultsTest::exeFolder;
    using RunFaultsTest::sourceOf;
    using RunFaultsTest::workFile;
};

// A table that exists and is not copied whole ends the run with the system's reason and the
// file's name, before any archive.
TEST_P(CopyFaultTest, EndsTheRunWithTheReasonAndNoArchive) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::unique_ptr<SmallFileSystem> fault = GetParam().arrange(*this);
    if (fault)
        QX_SKIP_UNLESS_MOUNTED(*fault);
    const auto rootBefore = Contents(root(), "PRENOS");
    run();
    ASSERT_EQ(ui.errors.size(), 1u) << (ui.errors.empty() ? "no error" : ui.errors.back());
    for (const std::string& part : GetParam().errorMentions)
        EXPECT_NE(ui.errors[0].find(part), std::string::npos) << ui.errors[0] << "\nlacks: " << part;
    EXPECT_FALSE(platform::PathExists(archive()));
    expectFailedCleanly(rootBefore);
}

std::unique_ptr<SmallFileSystem> Mount(const std::string& folder, std::size_t bytes) {
    return std::make_unique<SmallFileSystem>(folder, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CopyFaultTest,
    ::testing::Values(CopyFault{"full_work_disk",
                                [](RunFaultsTest& t) {
                                    return Mount(static_cast<CopyFaultTest&>(t).exeFolder() + "TEMP", 48 << 10);
                                },
                                {"No space left on device", "Cannot copy file"}},
                      CopyFault{"unreadable_source",
                                [](RunFaultsTest& t) {
                                    // /proc/self/mem is a file whose first page nobody can read: a failing device.
                                    const std::string mate = static_cast<CopyFaultTest&>(t).sourceOf("MATE.DBF");
                                    std::filesystem::remove(mate);
                                    std::filesystem::create_symlink("/proc/self/mem", mate);
                                    return std::unique_ptr<SmallFileSystem>();
                                },
                                {"MATE.DBF", "Input/output error"}},
                      CopyFault{"work_folder_that_cannot_be_emptied",
                                [](RunFaultsTest& t) {
                                    auto& test = static_cast<CopyFaultTest&>(t);
                                    auto fs = Mount(test.exeFolder() + "TEMP", 1 << 20);
                                    if (fs->mounted()) {
                                        WriteWholeFile(test.exeFolder() + "TEMP/mate.dbf", "the previous run's copy");
                                        fs->makeReadOnly();
                                    }
                                    return fs;
                                },
                                {"mate.dbf", "Read-only file system"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunFaultsTest, AFullOutputDiskLeavesNoArchiveBehind) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    SmallFileSystem small(outputDir(), 16 << 10);
    QX_SKIP_UNLESS_MOUNTED(small);
    const auto rootBefore = Contents(root(), "PRENOS");
    run();
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Not enough room to write archive"});
    EXPECT_TRUE(platform::ListDirectory(outputDir()).empty()) << platform::ListDirectory(outputDir())[0].name;
    expectFailedCleanly(rootBefore);
}

TEST_F(RunFaultsTest, AnOutputFolderOnAnotherFileSystemTakesTheArchiveOverAnOldOne) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    SmallFileSystem other(outputDir(), 64 << 20);
    QX_SKIP_UNLESS_MOUNTED(other);
    WriteWholeFile(archive(), "the old archive");
    ASSERT_TRUE(platform::SetReadOnly(archive(), true)); // it resists deletion
    run();
    EXPECT_TRUE(ui.errors.empty()) << ui.errors[0];
    const auto check = RunCommand("unzip -t -P " + Quote(ArchivePassword()) + " " + Quote(archive()));
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(platform::ListDirectory(outputDir()).size(), 1u);
}

// A table cut short (its header promises more records than it holds) is an error of that
// table, in either mode, and no archive is made.
TEST_F(RunFaultsTest, ATableCutShortIsReportedByName) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "copy-all mode" : "date mode");
        ui.errors.clear();
        ui.messages.clear();
        TUserSettings settings = sampleSettings("FIRMA.P");
        settings.Kopiraj1 = whole;
        settings.Kopiraj2 = !whole;
        settings.Racn = true;
        settings.AskDate = false;
        writeSettings("FIRMA.P", settings);
        const std::string racn = sourceOf("RACN.DBF");
        std::string bytes = ReadWholeFile(racn);
        const std::uint32_t promised = dbf::ReadLe32(bytes.data() + 4);
        dbf::WriteLe32(bytes.data() + 4, promised + 3);
        WriteWholeFile(racn, bytes);
        const auto rootBefore = Contents(root(), "PRENOS");
        run();
        ASSERT_EQ(ui.errors.size(), 1u);
        EXPECT_EQ(ui.errors[0],
                  "Table is damaged or was changed while it was read.\rFile: " + platform::UpperCase(racn));
        EXPECT_FALSE(platform::PathExists(archive()));
        expectFailedCleanly(rootBefore);
    }
}

// The refusal a second start meets in the window holds across processes, and a holder that
// dies lets the next run go.
TEST_F(RunFaultsTest, ARunHeldByAnotherProcessIsRefusedUntilItEnds) {
    QX_SKIP_WITHOUT_LINUX_PEERS();
    const std::string lockFile = platform::FolderLock::LockFilePath(session.selection.workDir);
    {
        ChildProcess other({QX_PYTHON, "-c",
                            "import fcntl, sys, time\n"
                            "f = open(sys.argv[1], 'a')\n"
                            "fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
                            "print('READY 0', flush=True)\n"
                            "time.sleep(60)\n",
                            lockFile});
        const auto rootBefore = Contents(root(), "PRENOS");
        run();
        EXPECT_EQ(ui.messages, std::vector<std::string>{kRunInProgress});
        EXPECT_TRUE(ui.log.empty());
        EXPECT_FALSE(platform::PathExists(archive()));
        expectFailedCleanly(rootBefore);
    } // the other process is killed: the system drops its lock
    ui.messages.clear();
    run();
    ASSERT_FALSE(ui.log.empty());
    EXPECT_EQ(ui.log.front(), "Prepis podatkov v delovno mapo");
    EXPECT_EQ(std::count(ui.messages.begin(), ui.messages.end(), kRunInProgress), 0);
}

} // namespace
} // namespace qx::test
