// Program entry of the Windows program: common controls, the main window and its start-up,
// the message loop with the dialog keys.
#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/TForm1.h"
#include "app/win32/TaDateEdit.h"
#include "session/Session.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // the folder picker

    // A date field left with an invalid entry reports it in the program's error box.
    qx::win32::TaDateEdit::setErrorReporter([](HWND field, const std::string& text) {
        qx::win32::MessageBoxes::error(GetAncestor(field, GA_ROOT), "Priprava podatkov za prenos", text);
    });

    qx::Session session;
    qx::win32::TForm1 window(session);
    if (!window.startUp())
        return 0;
    ShowWindow(window.hwnd(), show);
    UpdateWindow(window.hwnd());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        qx::win32::DispatchWithDialogKeys(message);
    CoUninitialize();
    return static_cast<int>(message.wParam);
}
