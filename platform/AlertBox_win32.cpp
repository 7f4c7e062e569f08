#include "platform/AlertBox.h"
#include "platform/WideText_win32.h"

namespace qx::platform {

void ShowAlert(const std::string& title, const std::string& text) {
    // Above every window: the program it speaks for has ended.
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(),
                MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}

} // namespace qx::platform
