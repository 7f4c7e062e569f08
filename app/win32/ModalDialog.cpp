#include "app/win32/ModalDialog.h"

#include "app/win32/Controls.h"

namespace qx::win32 {
namespace {

std::function<void(ModalDialog&)>& ShownHook() {
    static std::function<void(ModalDialog&)> hook;
    return hook;
}

} // namespace

void ModalDialog::setShownHookForTests(std::function<void(ModalDialog&)> hook) {
    ShownHook() = std::move(hook);
}

int ModalDialog::runModal(HWND owner) {
    CentreOver(hwnd(), owner);
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    running_ = true;
    result_ = IDCANCEL;
    ShowWindow(hwnd(), SW_SHOW);
    if (HWND focus = initialFocus())
        SetFocus(focus);
    if (ShownHook())
        ShownHook()(*this);
    MSG message;
    while (running_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: leave the quit request for the main loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            running_ = false;
            result_ = IDCANCEL;
            break;
        }
        if (got < 0)
            break;
        DispatchWithDialogKeys(message);
    }
    // The owner is enabled before the dialog hides, so that it gets the activation back.
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    ShowWindow(hwnd(), SW_HIDE);
    return result_;
}

void ModalDialog::end(int result) {
    result_ = result;
    running_ = false;
    PostMessageW(hwnd(), WM_NULL, 0, 0); // wakes the loop
}

LRESULT ModalDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        end(IDCANCEL);
        return 0;
    case WM_COMMAND:
        if (command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        if (LOWORD(wParam) == IDCANCEL) {
            end(IDCANCEL);
            return 0;
        }
        break;
    default:
        break;
    }
    return Window::handle(message, wParam, lParam);
}

} // namespace qx::win32
