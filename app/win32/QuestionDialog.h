#pragma once
// A question with two buttons of our own captions ("&Da", "&Kasneje"), which a system message
// box cannot carry. The first button is the default one; Esc and closing answer the second.
#include "app/win32/ModalDialog.h"

#include <string>

namespace qx::win32 {

class QuestionDialog : public ModalDialog {
public:
    enum { kText = 100, kFirst = IDOK, kSecond = IDCANCEL };

    QuestionDialog(HWND owner, const std::string& caption, const std::string& text, const std::string& first,
                   const std::string& second, bool stayOnTop);

    // True for the first button. Answered from MessageBoxes' queue in tests (Yes: the first).
    static bool ask(HWND owner, const std::string& caption, const std::string& text, const std::string& first,
                    const std::string& second, bool stayOnTop);

protected:
    bool command(int id, int notification, HWND control) override;
    int defaultButton() const override { return kFirst; }
    HWND initialFocus() const override { return GetDlgItem(hwnd(), kFirst); }
};

} // namespace qx::win32
