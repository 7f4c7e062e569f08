#include "app/win32/Window.h"

#include "app/win32/Controls.h"
#include "app/win32/TaDateEdit.h"
#include "platform/WideText_win32.h"

namespace qx::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"QxWindow";

void RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

Window::~Window() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Window::createFrame(const std::string& caption, HWND owner, DWORD extraStyle) {
    RegisterWindowClass(&Window::Procedure);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | extraStyle;
    CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, platform::Widen(caption).c_str(), style,
                    CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr, GetModuleHandleW(nullptr), this);
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DM_GETDEFID:
        return defaultButton() ? MAKELRESULT(defaultButton(), DC_HASDEFID) : 0;
    case WM_CTLCOLOREDIT:
        if (TaDateEdit* field = TaDateEdit::of(reinterpret_cast<HWND>(lParam)))
            return field->colour(reinterpret_cast<HDC>(wParam));
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            if (TaDateEdit* field = TaDateEdit::of(reinterpret_cast<HWND>(lParam)))
                field->textChanged();
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return self->handle(message, wParam, lParam);
}

} // namespace qx::win32
