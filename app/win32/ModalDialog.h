#pragma once
// A dialog shown modally over its owner: the owner is disabled, the dialog centred over it,
// and a message loop with the dialog keys runs until the dialog ends.
#include "app/win32/Window.h"

#include <functional>

namespace qx::win32 {

class ModalDialog : public Window {
public:
    // Shows the dialog and returns how it ended (IDOK, IDCANCEL).
    int runModal(HWND owner);
    void end(int result);
    bool running() const { return running_; }

    // Called with each dialog once it is shown and its loop runs; tests drive it from here.
    static void setShownHookForTests(std::function<void(ModalDialog&)> hook);

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A button or control of the dialog sent WM_COMMAND; true when it was handled.
    virtual bool command(int id, int notification, HWND control) = 0;
    // The control that has the focus when the dialog opens.
    virtual HWND initialFocus() const { return nullptr; }

private:
    bool running_ = false;
    int result_ = IDCANCEL;
};

} // namespace qx::win32
