// The replacement program as Windows runs it (under Wine): a window program, a restart that
// cannot be taken over by a C:\Program.exe, and a replacement that puts all files in place or
// none while one target is held open by another program.
#include "tests/support/TempDir.h"
#include "update/UpgradeFiles.h"
#include "update/UpgradeTexts.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <windows.h>

namespace qx::update {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;
namespace fs = std::filesystem;

std::string BinFolder() {
    wchar_t self[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    return fs::path(std::wstring(self, length)).parent_path().string() + "\\";
}

std::wstring Wide(const std::string& utf8) {
    return fs::path(utf8).wstring();
}

TEST(UpgraderProgram, IsAWindowProgram) {
    std::string image = ReadWholeFile(BinFolder() + "upgrader.exe");
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), image.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

// The message box of a program that has no window of its own: answered here, its text kept.
class AlertWatcher {
public:
    AlertWatcher() : thread_([this] { watch(); }) {}
    ~AlertWatcher() { stopWatching(); }
    // What the box said, once the program that showed it has gone on.
    std::string text() {
        stopWatching();
        return text_;
    }

private:
    void stopWatching() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    void watch() {
        std::wstring title = Wide(texts::kOfferTitle);
        while (!stop_) {
            if (HWND box = FindWindowW(L"#32770", title.c_str())) {
                wchar_t buffer[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
                text_ = fs::path(std::wstring(buffer)).string();
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    std::atomic<bool> stop_{false};
    std::string text_;
    std::thread thread_;
};

class UpgraderOnWindows : public ::testing::Test {
protected:
    UpgraderOnWindows() {
        fs::create_directories(Wide(program("")));
        fs::create_directories(Wide(dir.file("tmp")));
        standIn_ = ReadWholeFile(BinFolder() + "upgrade_standin.exe");
        // Whatever starts in place of the program records it in the folder above.
        WriteWholeFile(dir.file("Program.exe"), standIn_ + "MARK:decoy");
        WriteWholeFile(program("standin.exe"), standIn_ + "MARK:old");
        WriteWholeFile(program("standin.exe.uTMP"), standIn_ + "MARK:new");
        WriteWholeFile(program("data.dll"), "old data");
        WriteWholeFile(program("data.dll.uTMP"), "new data");
    }

    // A folder with a blank, as "Program Files" has.
    std::string program(const std::string& name) { return dir.file("Program Files/qx/" + name); }

    void StartTheUpgrader() {
        std::vector<DownloadEntry> entries = {{"http://h/standin.exe", program("standin.exe"), false, 0, ""},
                                              {"http://h/data.dll", program("data.dll"), false, 0, ""}};
        ASSERT_TRUE(StartUpgrader(ReadWholeFile(BinFolder() + "upgrader.exe"), dir.file("tmp"), entries,
                                  program("standin.exe"), UpgradeMethod::SelfUpgrade));
    }

    std::string Restarted() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(Wide(program("restarted.txt"))) && !fs::exists(Wide(dir.file("restarted.txt"))) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(fs::exists(Wide(dir.file("restarted.txt")))) << ReadWholeFile(dir.file("restarted.txt"));
        return ReadWholeFile(program("restarted.txt"));
    }

    TempDir dir;
    std::string standIn_;
};

TEST_F(UpgraderOnWindows, ReplacesEveryFileAndRestartsThroughTheQuotedPath) {
    StartTheUpgrader();
    EXPECT_EQ(Restarted(), "new|\"" + program("standin.exe") + "\" /afterupgrade0");
    EXPECT_EQ(ReadWholeFile(program("data.dll")), "new data");
    EXPECT_FALSE(fs::exists(Wide(program("standin.exe.uTMP"))));
    EXPECT_FALSE(fs::exists(Wide(program("standin.exe.uOLD"))));
    EXPECT_FALSE(fs::exists(Wide(program("data.dll.uOLD"))));
}

TEST_F(UpgraderOnWindows, ATargetHeldOpenLeavesTheOldProgramWholeAndSaysSo) {
    // Another program holds the file without letting anyone move it.
    HANDLE held = CreateFileW(Wide(program("data.dll")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    AlertWatcher alert;
    StartTheUpgrader();
    std::string restarted = Restarted();
    CloseHandle(held);
    EXPECT_EQ(restarted, "old|\"" + program("standin.exe") + "\" /afterupgrade0");
    EXPECT_EQ(ReadWholeFile(program("data.dll")), "old data");
    EXPECT_EQ(ReadWholeFile(program("standin.exe")), standIn_ + "MARK:old");
    EXPECT_FALSE(fs::exists(Wide(program("standin.exe.uTMP"))));
    EXPECT_FALSE(fs::exists(Wide(program("data.dll.uTMP"))));
    EXPECT_FALSE(fs::exists(Wide(program("standin.exe.uOLD"))));
    EXPECT_EQ(alert.text(), texts::kUpgradeNotCompleted);
}

} // namespace
} // namespace qx::update
