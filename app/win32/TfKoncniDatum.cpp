#include "app/win32/TfKoncniDatum.h"

#include "app/win32/Controls.h"

namespace qx::win32 {

TfKoncniDatum::TfKoncniDatum(HWND owner) {
    createFrame("Vnos mejnega datuma dokumentov", owner);
    SetClientSize(hwnd(), 260, 191);
    HFONT font = TahomaFont();
    Label1 =
        MakeChild(hwnd(), L"STATIC", "Vnesi  največji končni datum dokumentov,  ki jih bo program pripravil za prenos",
                  WS_VISIBLE | SS_LEFT, {32, 24, 209, 33}, kLabel1, font);
    KoncniDatum = std::make_unique<TaDateEdit>(hwnd(), kKoncniDatum, 92, 73, 21, font);
    KoncniDatum->setColours(RGB(0, 0, 0), RGB(255, 0, 0));
    Button1 = MakeChild(hwnd(), L"BUTTON", "V redu", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {92, 144, 64, 25},
                        kButton1, font);
}

bool TfKoncniDatum::command(int id, int notification, HWND) {
    if (id == kButton1 && notification == BN_CLICKED) {
        // The dialog never closes with a date the field refuses.
        if (KoncniDatum->acceptsExit())
            end(IDOK);
        return true;
    }
    return false;
}

std::optional<DayCount> TfKoncniDatum::ask(HWND owner, DayCount initial) {
    TfKoncniDatum dialog(owner);
    dialog.KoncniDatum->setDate(initial);
    if (dialog.runModal(owner) != IDOK)
        return std::nullopt;
    return dialog.KoncniDatum->date();
}

} // namespace qx::win32
