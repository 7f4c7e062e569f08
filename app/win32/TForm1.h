#pragma once
// The main window "Priprava podatkov za prenos" of the Windows program: the user list, the root
// box, the four buttons, and during a run the progress log and the two vertical bars. It is the
// operator interface of the runs started from it.
#include "app/win32/Window.h"
#include "run/Startup.h"
#include "session/OperatorInterface.h"
#include "session/Session.h"

#include <functional>

namespace qx::win32 {

class TForm1 : public Window, public OperatorInterface {
public:
    enum {
        kListBox1 = 100,
        kComboBox1,
        kButton1, // "Začni"
        kButton3, // "Izhod"
        kButton2, // "Nastavitve"
        kButton4, // "Pomoč"
        kProgressBar1,
        kProgressBar2,
        kMemo1,
        kLabel4,
        kCredit,
        kWebLink,
        kMailLink,
    };

    explicit TForm1(Session& session);

    // Runs the start-up sequence, the update offer first; false when the program cannot go on
    // (the message was shown). Tests pass their own program folder and update offer in `options`.
    bool startUp(StartupOptions options = {});

    HWND ListBox1 = nullptr;
    HWND ComboBox1 = nullptr;
    HWND Button1 = nullptr;
    HWND Button3 = nullptr;
    HWND Button2 = nullptr;
    HWND Button4 = nullptr;
    HWND ProgressBar1 = nullptr;
    HWND ProgressBar2 = nullptr;
    HWND Memo1 = nullptr;
    HWND Label4 = nullptr;
    HWND WebLink = nullptr;
    HWND MailLink = nullptr;

    // OperatorInterface
    void clearLog() override;
    void setLogVisible(bool visible) override;
    void appendLine(const std::string& line) override;
    void appendToLastLine(const std::string& text) override;
    void showMessage(const std::string& text) override;
    void showError(const std::string& text) override;
    std::optional<DayCount> askEndDate(DayCount initial) override;
    bool editSettings(TUserSettings& settings, const std::string& caption) override;
    void setBarMaximum(ProgressBar bar, std::int64_t maximum) override;
    void setBarValue(ProgressBar bar, std::int64_t value) override;
    void setBarVisible(ProgressBar bar, bool visible) override;
    void processMessages() override;
    std::string rootBoxText() override;
    std::optional<std::string> selectedUser() override;

    // The handlers of the controls, called from the window's messages.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void ComboBox1Change(bool fromList);
    void ListBox1Click();

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void buildControls();
    void showUserList(int selectedRow);
    void closeWhenIdle();
    HWND barOf(ProgressBar bar) const;

    Session& session_;
    HWND lastFocus_ = nullptr;
    bool logEmpty_ = true;
    bool closeRequested_ = false;
};

} // namespace qx::win32
