#pragma once
// The settings dialog: the output folder, which table groups to copy and from which date,
// and how the archive is delivered.
#include "app/win32/ModalDialog.h"
#include "app/win32/TaDateEdit.h"
#include "session/UserSettings.h"

#include <memory>
#include <string>

namespace qx::win32 {

class TfSetup : public ModalDialog {
public:
    enum {
        kButton1 = IDOK,
        kButton2 = IDCANCEL,
        kDirectoryEdit1 = 100,
        kBrowse,
        kKopiraj1,
        kKopiraj2,
        kDatum2,
        kAskDate,
        kRa,
        kSt,
        kPn,
        kDo,
        kMa,
        kVs,
        kOr,
        kZR,
        kFTP,
        kCheckBox3,
        kPanel2,
        kServis,
        kID,
        kCheckBox2,
        kPanel1,
        kEdit1,
        kCheckBox1,
        kLabel,
    };

    // The controls are filled from `settings` as the dialog is made.
    TfSetup(const TUserSettings& settings, HWND owner);

    // Shows the dialog modally for `settings` under `caption`. On "V redu" the controls are taken
    // into `settings` and true is returned; on "Preklic" or closing, `settings` stays as it was.
    static bool edit(HWND owner, TUserSettings& settings, const std::string& caption);

    // Takes the controls into `settings`; `DS` has no control and passes through.
    void takeInto(TUserSettings& settings) const;

    HWND DirectoryEdit1 = nullptr;
    HWND browse = nullptr;
    HWND kopiraj1 = nullptr;
    HWND kopiraj2 = nullptr;
    std::unique_ptr<TaDateEdit> datum2;
    HWND cb_AskDate = nullptr;
    HWND cb_ra = nullptr;
    HWND cb_st = nullptr;
    HWND cb_pn = nullptr;
    HWND cb_do = nullptr;
    HWND cb_ma = nullptr;
    HWND cb_vs = nullptr;
    HWND cb_or = nullptr;
    HWND cb_ZR = nullptr;
    HWND cbFTP = nullptr;
    HWND CheckBox3 = nullptr;
    HWND Panel2 = nullptr;
    HWND servis = nullptr;
    HWND ID = nullptr;
    HWND CheckBox2 = nullptr;
    HWND Panel1 = nullptr;
    HWND Edit1 = nullptr;
    HWND CheckBox1 = nullptr;
    HWND Button1 = nullptr;
    HWND Button2 = nullptr;

protected:
    bool command(int id, int notification, HWND control) override;
    int defaultButton() const override { return kButton1; }
    HWND initialFocus() const override { return DirectoryEdit1; }

private:
    void createControls();
    void FormCreate(const TUserSettings& settings);
    void pickOutputFolder();
    void cbFTPClick();
    void CheckBox2Click();
    void CheckBox3Click();
    void kopiraj1Click();
};

} // namespace qx::win32
