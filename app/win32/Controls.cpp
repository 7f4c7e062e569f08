#include "app/win32/Controls.h"

#include "platform/WideText_win32.h"

namespace qx::win32 {
namespace {

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT MakeFont(LOGFONTW font) {
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

} // namespace

int Scaled(int pixels) {
    return MulDiv(pixels, ScreenDpi(), 96);
}

HFONT TahomaFont() {
    static const HFONT font = [] {
        LOGFONTW tahoma{};
        tahoma.lfHeight = -MulDiv(8, ScreenDpi(), 72);
        tahoma.lfWeight = FW_NORMAL;
        tahoma.lfCharSet = DEFAULT_CHARSET;
        wcscpy(tahoma.lfFaceName, L"Tahoma");
        return MakeFont(tahoma);
    }();
    return font;
}

HFONT WindowFont() {
    static const HFONT font = MakeFont(MessageFont());
    return font;
}

HFONT SmallFont() {
    static const HFONT font = [] {
        LOGFONTW small = MessageFont();
        small.lfHeight = small.lfHeight * 8 / 10;
        return MakeFont(small);
    }();
    return font;
}

HWND MakeChild(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, RECT place, int id,
               HFONT font, DWORD exStyle) {
    HWND child =
        CreateWindowExW(exStyle, windowClass, platform::Widen(text).c_str(), WS_CHILD | style, Scaled(place.left),
                        Scaled(place.top), Scaled(place.right), Scaled(place.bottom), parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

std::string TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return platform::Narrow(text.data(), length);
}

void SetText(HWND window, const std::string& text) {
    SetWindowTextW(window, platform::Widen(text).c_str());
}

int TextWidth(HFONT font, const std::string& text) {
    const std::wstring wide = platform::Widen(text);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

void SetClientSize(HWND window, int width, int height) {
    RECT frame{0, 0, Scaled(width), Scaled(height)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOver(HWND window, HWND owner) {
    RECT area;
    if (owner == nullptr || !GetWindowRect(owner, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DispatchWithDialogKeys(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchWithDialogKeys(message);
    }
    return true;
}

} // namespace qx::win32
