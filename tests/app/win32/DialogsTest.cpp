// The end-date dialog, the settings dialog and the upgrade wizard, in process.
#include "app/win32/MessageBoxes.h"
#include "app/win32/ModalDialog.h"
#include "app/win32/QuestionDialog.h"
#include "app/win32/TfKoncniDatum.h"
#include "app/win32/TfSetup.h"
#include "app/win32/UpgradeWizard.h"
#include "tests/app/win32/WindowTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace qx::test {
namespace {

using win32::MessageBoxes;
using win32::TextOf;

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

class Win32DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxes::resetForTests();
        win32::TaDateEdit::setErrorReporter([this](HWND, const std::string& text) { errors.push_back(text); });
    }
    void TearDown() override {
        win32::ModalDialog::setShownHookForTests({});
        win32::TaDateEdit::setErrorReporter({});
    }
    std::vector<std::string> errors;
};

TEST_F(Win32DialogsTest, EndDateDialogLayout) {
    win32::TfKoncniDatum dialog(nullptr);
    EXPECT_EQ(TextOf(dialog.hwnd()), "Vnos mejnega datuma dokumentov");
    const SIZE client = ClientSize(dialog.hwnd());
    EXPECT_EQ(client.cx, 260);
    EXPECT_EQ(client.cy, 191);
    EXPECT_EQ(TextOf(dialog.Label1), "Vnesi  največji končni datum dokumentov,  ki jih bo program pripravil za prenos");
    EXPECT_EQ(TextOf(dialog.Button1), "V redu");
    EXPECT_EQ(ClientSize(dialog.Button1).cx, 64);
    EXPECT_TRUE(GetWindowLongPtrW(dialog.Button1, GWL_STYLE) & BS_DEFPUSHBUTTON);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog.Label1, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
}

// How the dialog is left: "V redu" by click or by Return, or closed; an invalid date never closes it.
TEST_F(Win32DialogsTest, EndDateDialogAnswers) {
    struct Case {
        const char* name;
        std::function<void(win32::TfKoncniDatum&)> act;
        std::optional<DayCount> answer;
    };
    const std::vector<Case> cases = {
        {"V redu takes the typed date",
         [](win32::TfKoncniDatum& d) {
             SetWindowTextW(d.KoncniDatum->hwnd(), L"1.2.5");
             Click(d.Button1);
         },
         Day(2005, 2, 1)},
        {"Return presses the default button",
         [](win32::TfKoncniDatum& d) {
             SetWindowTextW(d.KoncniDatum->hwnd(), L"31.12.25");
             PostKey(d.KoncniDatum->hwnd(), VK_RETURN);
         },
         Day(2025, 12, 31)},
        {"an empty field gives the zero date",
         [](win32::TfKoncniDatum& d) {
             SetWindowTextW(d.KoncniDatum->hwnd(), L"");
             Click(d.Button1);
         },
         kZeroDate},
        {"closing gives nothing", [](win32::TfKoncniDatum& d) { PostMessageW(d.hwnd(), WM_CLOSE, 0, 0); },
         std::nullopt},
    };
    for (const Case& c : cases) {
        win32::ModalDialog::setShownHookForTests([&](win32::ModalDialog& shown) {
            auto& dialog = static_cast<win32::TfKoncniDatum&>(shown);
            EXPECT_EQ(GetFocus(), dialog.KoncniDatum->hwnd()) << c.name;
            c.act(dialog);
        });
        EXPECT_EQ(win32::TfKoncniDatum::ask(nullptr, Day(2025, 6, 1)), c.answer) << c.name;
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32DialogsTest, EndDateDialogRefusesToCloseWithAnInvalidDate) {
    int shownCount = 0;
    win32::ModalDialog::setShownHookForTests([&](win32::ModalDialog& shown) {
        auto& dialog = static_cast<win32::TfKoncniDatum&>(shown);
        ++shownCount;
        SetWindowTextW(dialog.KoncniDatum->hwnd(), L"31.02.2025");
        Click(dialog.Button1);
        EXPECT_TRUE(dialog.running());
        EXPECT_EQ(GetFocus(), dialog.KoncniDatum->hwnd());
        SetWindowTextW(dialog.KoncniDatum->hwnd(), L"28.02.2025");
        Click(dialog.Button1);
    });
    EXPECT_EQ(win32::TfKoncniDatum::ask(nullptr, Day(2025, 6, 1)), Day(2025, 2, 28));
    EXPECT_EQ(shownCount, 1);
    EXPECT_EQ(errors, std::vector<std::string>{"Invalid Date: \"31.02.2025\""});
}

TEST_F(Win32DialogsTest, SettingsDialogShowsTheStoredSettingsAndTakesThemBack) {
    TUserSettings stored;
    stored.Dest = "C:\\PRENOS";
    stored.Kopiraj1 = true;
    stored.AskDate = true;
    stored.Racn = true;
    stored.Ziro = true;
    stored.Mate = true;
    stored.Mail = true;
    stored.Email = "racunovodja@example.com";
    stored.Servis = "KODA";
    stored.DS = "12345678";
    win32::TfSetup dialog(stored, nullptr);
    EXPECT_EQ(TextOf(dialog.DirectoryEdit1), "C:\\PRENOS");
    EXPECT_TRUE(Checked(dialog.kopiraj1));
    EXPECT_FALSE(Visible(dialog.datum2->hwnd())); // copy-all: no date and no question
    EXPECT_FALSE(Visible(dialog.cb_AskDate));
    EXPECT_TRUE(Visible(dialog.Panel1));
    EXPECT_FALSE(Visible(dialog.Panel2));
    EXPECT_FALSE(Visible(dialog.cb_ma)); // never shown, taken all the same
    EXPECT_FALSE(Visible(dialog.cb_vs));
    EXPECT_FALSE(Visible(dialog.CheckBox1));
    const std::vector<std::pair<HWND, const char*>> captions = {
        {dialog.kopiraj2, "Kopiraj vse podatke, novejše od datuma "},
        {dialog.cb_AskDate, "Vprašaj za končni mejni datum "},
        {dialog.cb_ZR, "žiro računi"},
        {dialog.cbFTP, "pošlji na FTP strežnik"},
        {dialog.CheckBox3, "pošlji obvestilo po elektronski pošti"},
        {dialog.Button2, "Preklic"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(TextOf(control), caption);

    TUserSettings taken;
    dialog.takeInto(taken);
    taken.DS = stored.DS; // no control: passes through
    EXPECT_EQ(taken, stored);

    Click(dialog.CheckBox2); // off, and no notice either: the address goes
    EXPECT_FALSE(Visible(dialog.Panel1));
}

TEST_F(Win32DialogsTest, SettingsDialogCancelLeavesTheSettings) {
    TUserSettings settings;
    settings.Racn = true;
    win32::ModalDialog::setShownHookForTests([](win32::ModalDialog& shown) {
        auto& dialog = static_cast<win32::TfSetup&>(shown);
        Click(dialog.cb_ra);
        PostKey(dialog.DirectoryEdit1, VK_ESCAPE);
    });
    EXPECT_FALSE(win32::TfSetup::edit(nullptr, settings, "Nastavitve za uporabnika SKUPNO    "));
    EXPECT_TRUE(settings.Racn);
}

TEST_F(Win32DialogsTest, WizardShowsTheDownloadAndItsEnd) {
    win32::UpgradeWizard wizard(nullptr);
    auto text = [&](int id) { return TextOf(GetDlgItem(wizard.hwnd(), id)); };
    EXPECT_EQ(TextOf(wizard.hwnd()), "Čarovnik za nadgradnjo");
    EXPECT_EQ(text(win32::UpgradeWizard::kTitle), "Prenos podatkov...");
    EXPECT_EQ(text(win32::UpgradeWizard::kCurrentGroup), " Trenutna datoteka ");
    EXPECT_EQ(text(win32::UpgradeWizard::kAllGroup), " Vse datoteke ");
    EXPECT_EQ(text(win32::UpgradeWizard::kNextButton), "&Naprej >");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kNextButton)));

    wizard.startFile(2, 4);
    EXPECT_EQ(text(win32::UpgradeWizard::kCounter), "Prenos 2 od 4");
    EXPECT_EQ(text(win32::UpgradeWizard::kFileSize), "Priprava. . .");
    wizard.fileStarted(2048);
    EXPECT_EQ(text(win32::UpgradeWizard::kFileSize), "Velikost datoteke: 2,0 Kb");
    wizard.fileProgress(1024);
    EXPECT_EQ(SendMessageW(GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kFileBar), PBM_GETPOS, 0, 0), 50);
    EXPECT_EQ(SendMessageW(GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kTotalBar), PBM_GETPOS, 0, 0), 37);

    wizard.showComplete("Priprava podatkov za prenos");
    EXPECT_EQ(text(win32::UpgradeWizard::kTitle), "Nadgradnja je končana!");
    EXPECT_EQ(text(win32::UpgradeWizard::kNextButton), "&V redu");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kNextButton)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kStopButton)));
}

// Alt+letter presses the button whose caption has "&" before it; the cancel question decides.
TEST_F(Win32DialogsTest, AltZStopsTheWizardOnceTheOperatorConfirms) {
    win32::UpgradeWizard wizard(nullptr);
    ShowWindow(wizard.hwnd(), SW_SHOW);
    SetForegroundWindow(wizard.hwnd());
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::No);
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Yes);
    for (int press = 0; press < 2; ++press) {
        HWND stop = GetDlgItem(wizard.hwnd(), win32::UpgradeWizard::kStopButton);
        SetFocus(stop);
        PostMessageW(stop, WM_SYSCHAR, L'z', 0x20000001);
        win32::PumpPendingMessages();
        EXPECT_EQ(wizard.stopped(), press == 1);
    }
    const std::vector<MessageBoxes::Shown> shown = MessageBoxes::takeShownForTests();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Nadgradnja še ni končana.\nŽelite prekiniti nadgradnjo?");
}

TEST_F(Win32DialogsTest, TheComponentsQuestionCarriesItsOwnButtons) {
    win32::QuestionDialog question(nullptr, "Čarovnik za nadgradnjo", "Želite nadgraditi program?", "&Da", "&Kasneje",
                                   true);
    EXPECT_EQ(TextOf(GetDlgItem(question.hwnd(), win32::QuestionDialog::kFirst)), "&Da");
    EXPECT_EQ(TextOf(GetDlgItem(question.hwnd(), win32::QuestionDialog::kSecond)), "&Kasneje");
    EXPECT_TRUE(GetWindowLongPtrW(question.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    struct Case {
        const char* name;
        UINT key;
        bool answer;
    };
    for (const Case& c : {Case{"Return: the first", VK_RETURN, true}, Case{"Esc: the second", VK_ESCAPE, false}}) {
        win32::ModalDialog::setShownHookForTests([&](win32::ModalDialog& shown) {
            PostKey(GetDlgItem(shown.hwnd(), win32::QuestionDialog::kFirst), c.key);
        });
        EXPECT_EQ(win32::QuestionDialog::ask(nullptr, "Čarovnik za nadgradnjo", "?", "&Da", "&Kasneje", false),
                  c.answer)
            << c.name;
    }
}

} // namespace
} // namespace qx::test
