#pragma once
// The end-date dialog: asks for the last document date of a run.
#include "app/win32/ModalDialog.h"
#include "app/win32/TaDateEdit.h"
#include "text/Dates.h"

#include <memory>
#include <optional>

namespace qx::win32 {

class TfKoncniDatum : public ModalDialog {
public:
    enum { kLabel1 = 100, kKoncniDatum, kButton1 = IDOK };

    explicit TfKoncniDatum(HWND owner);

    // Shows the dialog modally with `initial` in the field: the date confirmed with "V redu",
    // nullopt when it was closed any other way.
    static std::optional<DayCount> ask(HWND owner, DayCount initial);

    HWND Label1 = nullptr;
    std::unique_ptr<TaDateEdit> KoncniDatum;
    HWND Button1 = nullptr;

protected:
    bool command(int id, int notification, HWND control) override;
    int defaultButton() const override { return kButton1; }
    HWND initialFocus() const override { return KoncniDatum->hwnd(); }
};

} // namespace qx::win32
