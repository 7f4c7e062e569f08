#pragma once
// A top-level window of ours: one window class for all, messages go to the object's handle().
#include <string>
#include <windows.h>

namespace qx::win32 {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Creates the window with a fixed frame (no minimise or maximise box), hidden.
    void createFrame(const std::string& caption, HWND owner, DWORD extraStyle = 0);
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The default button for Return (0: none).
    virtual int defaultButton() const { return 0; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

} // namespace qx::win32
