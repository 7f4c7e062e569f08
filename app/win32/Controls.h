#pragma once
// Small helpers for the native windows: fonts, child controls, UTF-8 texts and sizes.
#include <string>
#include <windows.h>

namespace qx::win32 {

// Pixels of a 96-dpi layout on this screen.
int Scaled(int pixels);

// Tahoma 8 pt, the dialogs' font; the system's message font, the main window's; the footer's smaller one.
HFONT TahomaFont();
HFONT WindowFont();
HFONT SmallFont();

HWND MakeChild(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, RECT place, int id,
               HFONT font, DWORD exStyle = 0);

std::string TextOf(HWND window);
void SetText(HWND window, const std::string& text);
// The width of `text` in `font`, in pixels.
int TextWidth(HFONT font, const std::string& text);

// Gives `window` a client area of width × height (in 96-dpi pixels) for its styles.
void SetClientSize(HWND window, int width, int height);
// Centres `window` over `owner`, or on the screen's work area when there is none.
void CentreOver(HWND window, HWND owner);

// Dispatches every pending message, with dialog keys (Tab, Return, Escape, Alt+letter) for
// the window each belongs to. Returns false when the program was asked to end (WM_QUIT is kept).
bool PumpPendingMessages();
// Handles one message already taken from the queue.
void DispatchWithDialogKeys(MSG& message);

} // namespace qx::win32
