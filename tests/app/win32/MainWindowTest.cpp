// The Windows program's main window, in process: started on a small installation, driven with
// the messages a user's keys and clicks send, read back.
#include "app/win32/MessageBoxes.h"
#include "app/win32/ModalDialog.h"
#include "app/win32/TForm1.h"
#include "app/win32/TfSetup.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "tests/app/win32/WindowTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace qx::test {
namespace {

using win32::MessageBoxes;
using win32::TextOf;

class Win32MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* user : {"FIRMA.P", "DRUGA._G", "KOVINAR22.P", "KOVINAR23.P", "OSTALO"})
            ASSERT_TRUE(platform::CreateDirectories(root() + user));
        SetEnvironment("VORTANE", root());
        MessageBoxes::resetForTests();
    }
    void TearDown() override {
        win32::ModalDialog::setShownHookForTests({});
        MSG quit; // the window's end asks the (absent) message loop to end
        while (PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    bool startUp() {
        StartupOptions options;
        options.exeFolder = exeFolder();
        options.updateOffer = [] {};
        return window.startUp(options);
    }
    std::string root() const { return dir.file("kerno/"); }
    std::string listedRoot() const { return platform::UpperCase(root()); }
    std::string exeFolder() const { return dir.file("bin/"); }
    // A pick in the list as the list reports it.
    void pickUser(int row) {
        SendMessageW(window.ListBox1, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(win32::TForm1::kListBox1, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(window.ListBox1));
    }
    std::string qxIni() const { return ReadWholeFile(exeFolder() + "qx.ini"); }

    TempDir dir;
    Session session;
    win32::TForm1 window{session};
};

TEST_F(Win32MainWindowTest, ShowsTheRootsTheUsersAndTheVersion) {
    ASSERT_TRUE(startUp());
    EXPECT_EQ(TextOf(window.hwnd()), "Priprava podatkov za prenos");
    const SIZE client = ClientSize(window.hwnd());
    EXPECT_EQ(client.cx, 311);
    EXPECT_EQ(client.cy, 281);
    const LONG_PTR style = GetWindowLongPtrW(window.hwnd(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(TextOf(window.Button1), "Začni");
    EXPECT_EQ(TextOf(window.Button3), "Izhod");
    EXPECT_EQ(TextOf(window.Button2), "Nastavitve");
    EXPECT_EQ(TextOf(window.Button4), "Pomoč");
    EXPECT_EQ(TextOf(window.Label4), "V3.0.22");
    EXPECT_FALSE(Visible(window.Memo1));
    for (HWND bar : {window.ProgressBar1, window.ProgressBar2}) {
        EXPECT_FALSE(Visible(bar));
        EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_VERTICAL);
    }
    EXPECT_EQ(ClientSize(window.ListBox1).cx + 2 * GetSystemMetrics(SM_CXEDGE), 217);
    EXPECT_EQ(TextOf(window.ComboBox1), listedRoot());
    EXPECT_EQ(ListEntries(window.ListBox1),
              (std::vector<std::string>{"DRUGA._G", "FIRMA.P", "KOVINAR23.P", "KOVINAR22.P", "SKUPNO    "}));
    // No saved choice yet: the first entry is selected.
    EXPECT_EQ(window.selectedUser(), std::optional<std::string>("DRUGA._G"));
    EXPECT_TRUE(MessageBoxes::takeShownForTests().empty());
}

TEST_F(Win32MainWindowTest, WithoutTheRootListTheProgramEndsWithItsMessage) {
    UnsetEnvironment("VORTANE");
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Ok);
    EXPECT_FALSE(startUp());
    const std::vector<MessageBoxes::Shown> shown = MessageBoxes::takeShownForTests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Priprava podatkov za prenos");
    EXPECT_EQ(shown[0].text, "Environment spremenljivka VORTANE ni definirana.\rIzvajanje programa ni možno.");
}

// The list's selection-change notification: the keyboard picks a user as the mouse does.
TEST_F(Win32MainWindowTest, AUserPickedByKeyboardIsSavedAsAClickSavesIt) {
    ASSERT_TRUE(startUp());
    SetFocus(window.ListBox1);
    SendMessageW(window.ListBox1, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(session.selection.userDir, "FIRMA.P");
    EXPECT_EQ(qxIni(), "[Setup]\r\nSkupno=" + listedRoot() + "\r\nUserdir=FIRMA.P\r\n");
}

TEST_F(Win32MainWindowTest, TheRootBoxTakesTypedTextAndAPickFromItsList) {
    ASSERT_TRUE(startUp());
    HWND edit = GetWindow(window.ComboBox1, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(edit, L"X");
    // Typed text that is no entry lists the current folder's users.
    EXPECT_EQ(session.selection.listedRoot, "");
    EXPECT_EQ(window.selectedUser(), std::nullopt);
    EXPECT_EQ(ListEntries(window.ListBox1).back(), "SKUPNO    ");

    SetFocus(window.ComboBox1);
    SendMessageW(window.ComboBox1, WM_KEYDOWN, VK_DOWN, 1); // a pick by keyboard reports the change
    EXPECT_EQ(session.selection.listedRoot, listedRoot());
    EXPECT_EQ(ListEntries(window.ListBox1).size(), 5u);
    EXPECT_EQ(window.selectedUser(), std::nullopt);
}

TEST_F(Win32MainWindowTest, SettingsOpenForTheUserAndAreStoredOnConfirm) {
    ASSERT_TRUE(startUp());
    pickUser(1);
    std::string caption;
    SIZE client{};
    win32::ModalDialog::setShownHookForTests([&](win32::ModalDialog& shown) {
        auto& dialog = static_cast<win32::TfSetup&>(shown);
        caption = TextOf(dialog.hwnd());
        client = ClientSize(dialog.hwnd());
        // A user without QX.INI: everything clear, the date hidden, the question shown.
        EXPECT_FALSE(Visible(dialog.datum2->hwnd()));
        EXPECT_TRUE(Visible(dialog.cb_AskDate));
        EXPECT_FALSE(Visible(dialog.Panel1));
        EXPECT_FALSE(Visible(dialog.Panel2));
        EXPECT_FALSE(Checked(dialog.kopiraj1) || Checked(dialog.kopiraj2));
        Click(dialog.CheckBox3); // the address serves the notice too
        EXPECT_TRUE(Visible(dialog.Panel1));
        Click(dialog.cbFTP);
        EXPECT_TRUE(Visible(dialog.Panel2));
        Type(dialog.ID, L"čx"); // one character, upper-cased
        EXPECT_EQ(TextOf(dialog.ID), "Č");
        Click(dialog.kopiraj2);
        EXPECT_TRUE(Visible(dialog.datum2->hwnd()));
        Click(dialog.Button1);
    });
    Click(window.Button2);
    EXPECT_EQ(caption, "Nastavitve za uporabnika FIRMA.P");
    EXPECT_EQ(client.cx, 433);
    EXPECT_EQ(client.cy, 406);
    EXPECT_TRUE(session.settings.Message);
    EXPECT_TRUE(session.settings.FTP);
    EXPECT_TRUE(session.settings.Kopiraj2);
    EXPECT_EQ(session.settings.ID, "Č");
    EXPECT_TRUE(platform::IsExistingFile(root() + "FIRMA.P/QX.INI"));
    EXPECT_TRUE(MessageBoxes::takeShownForTests().empty());
}

TEST_F(Win32MainWindowTest, ARunWithoutTablesEndsInTheErrorBoxAndTheWindowComesBack) {
    ASSERT_TRUE(startUp());
    pickUser(1);
    WriteWholeFile(root() + "FIRMA.P/QX.INI", "[Setup]\r\nDest=" + dir.file("out") + "\r\nKopiraj1=1\r\n");
    for (int i = 0; i < 3; ++i) // more than the one expected, so that a surplus box shows in the record
        MessageBoxes::setNextAnswer(MessageBoxes::Answer::Ok);
    std::vector<std::string> dialogs;
    win32::ModalDialog::setShownHookForTests([&](win32::ModalDialog& shown) {
        dialogs.push_back(TextOf(shown.hwnd()));
        shown.end(IDCANCEL);
    });
    Click(window.Button1);
    EXPECT_TRUE(dialogs.empty()) << dialogs.front();
    const std::vector<MessageBoxes::Shown> shown = MessageBoxes::takeShownForTests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Priprava podatkov za prenos");
    // The table engine's own error, unchanged, for the first table the run needs.
    EXPECT_EQ(shown[0].text.rfind("Table, file or directory does not exist.\rFile: ", 0), 0u) << shown[0].text;
    EXPECT_TRUE(shown[0].text.ends_with("PERS.DBF")) << shown[0].text;
    EXPECT_EQ(TextOf(window.Memo1).rfind("Prepis podatkov v delovno mapo\r\n\r\n", 0), 0u) << TextOf(window.Memo1);
    EXPECT_FALSE(session.runInProgress);
}

TEST_F(Win32MainWindowTest, IzhodEndsTheProgram) {
    ASSERT_TRUE(startUp());
    Click(window.Button3);
    EXPECT_EQ(window.hwnd(), nullptr);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
} // namespace qx::test
