#pragma once
// The update offer, the first step of the main window's start-up: check, ask the operator,
// and start the upgrade when the answer is yes. Start-up always goes on afterwards.
#include <windows.h>

namespace qx::win32 {

void OfferUpdate(HWND mainWindow);

} // namespace qx::win32
