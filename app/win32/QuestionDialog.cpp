#include "app/win32/QuestionDialog.h"

#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "platform/WideText_win32.h"

#include <algorithm>

namespace qx::win32 {
namespace {

// The text's size in 96-dpi pixels when it is broken at `width` at most.
SIZE TextBlock(const std::string& text, int width) {
    const std::wstring wide = platform::Widen(text);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, TahomaFont());
    RECT block{0, 0, Scaled(width), 0};
    DrawTextW(screen, wide.c_str(), static_cast<int>(wide.size()), &block, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return {MulDiv(block.right, 96, Scaled(96)) + 2, MulDiv(block.bottom, 96, Scaled(96)) + 2};
}

} // namespace

QuestionDialog::QuestionDialog(HWND owner, const std::string& caption, const std::string& text,
                               const std::string& first, const std::string& second, bool stayOnTop) {
    createFrame(caption, owner);
    if (stayOnTop)
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const SIZE block = TextBlock(text, 360);
    const int width = std::max<int>(block.cx, 190) + 32;
    const int buttonsTop = 16 + block.cy + 16;
    MakeChild(hwnd(), L"STATIC", text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {16, 16, block.cx, block.cy}, kText,
              TahomaFont());
    MakeChild(hwnd(), L"BUTTON", first, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {width - 182, buttonsTop, 80, 25},
              kFirst, TahomaFont());
    MakeChild(hwnd(), L"BUTTON", second, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {width - 96, buttonsTop, 80, 25},
              kSecond, TahomaFont());
    SetClientSize(hwnd(), width, buttonsTop + 25 + 12);
}

bool QuestionDialog::command(int id, int notification, HWND) {
    if (notification != BN_CLICKED || (id != kFirst && id != kSecond))
        return false;
    end(id);
    return true;
}

bool QuestionDialog::ask(HWND owner, const std::string& caption, const std::string& text, const std::string& first,
                         const std::string& second, bool stayOnTop) {
    if (auto answer = MessageBoxes::takeQueuedAnswer(caption, text))
        return *answer == MessageBoxes::Answer::Yes;
    QuestionDialog dialog(owner, caption, text, first, second, stayOnTop);
    return dialog.runModal(owner) == kFirst;
}

} // namespace qx::win32
