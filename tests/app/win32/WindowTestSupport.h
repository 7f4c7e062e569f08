#pragma once
// Reading the native windows back in the tests: texts, client sizes, visibility, and driving
// them with messages as a user's keys and clicks arrive.
#include "app/win32/Controls.h"

#include <string>
#include <vector>
#include <windows.h>

namespace qx::test {

inline SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {MulDiv(client.right, 96, win32::Scaled(96)), MulDiv(client.bottom, 96, win32::Scaled(96))};
}

inline bool Visible(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

inline bool Checked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A click on a button, as the button reports it to its window.
inline void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

// Typed characters, each as the keyboard's WM_CHAR.
inline void Type(HWND control, const std::wstring& keys) {
    for (wchar_t key : keys)
        SendMessageW(control, WM_CHAR, key, 1);
}

// A key through the message queue, so that the dialog keys (Return, Esc, Tab) apply.
inline void PostKey(HWND control, UINT key) {
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

inline std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        const auto length = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, item.data(), static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, item.data(), static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
        entries.push_back(utf8);
    }
    return entries;
}

} // namespace qx::test
