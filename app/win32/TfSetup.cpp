#include "app/win32/TfSetup.h"

#include "app/win32/Controls.h"
#include "platform/WideText_win32.h"

#include <commctrl.h>
#include <shlobj.h>

namespace qx::win32 {
namespace {

const char* const kIdHint = "V primeru, da ISTEMU računovodskemu servisu pošiljamo podatke \r"
                            "od različnih uporabnikov v KERNIH, ki imajo ENAKO davčno številko,\r"
                            "v polje ID vnesemo enolično določeno identifikacijo uporabnika (n.pr. 1)";

constexpr DWORD kCheckBoxStyle = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

bool Checked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND box, bool on) {
    SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetVisible(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

HWND Label(HWND parent, const char* text, int left, int top) {
    HFONT font = TahomaFont();
    return MakeChild(parent, L"STATIC", text, WS_VISIBLE | SS_LEFT,
                     {left, top, TextWidth(font, text) * 96 / Scaled(96) + 2, 15}, TfSetup::kLabel, font);
}

HWND CheckBox(HWND parent, const char* text, int id, RECT place) {
    return MakeChild(parent, L"BUTTON", text, kCheckBoxStyle, place, id, TahomaFont());
}

HWND LineEdit(HWND parent, int id, RECT place, DWORD style = 0) {
    return MakeChild(parent, L"EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | style, place, id, TahomaFont(),
                     WS_EX_CLIENTEDGE);
}

HWND Panel(HWND parent, int id, RECT place) {
    return MakeChild(parent, L"STATIC", "", WS_VISIBLE, place, id, TahomaFont(), WS_EX_CONTROLPARENT);
}

// The hint keeps its CR line breaks as stored; a tooltip breaks lines at CR LF.
std::wstring TooltipText(const std::string& text) {
    std::wstring shown;
    for (wchar_t c : platform::Widen(text)) {
        shown += c;
        if (c == L'\r')
            shown += L'\n';
    }
    return shown;
}

void AddTooltip(HWND dialog, HWND control, const std::string& text) {
    static std::wstring shown; // the tooltip keeps a pointer to its text
    shown = TooltipText(text);
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = shown.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, Scaled(600));
}

int CALLBACK StartAtDriveRoot(HWND picker, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(L"C:\\"));
    return 0;
}

} // namespace

TfSetup::TfSetup(const TUserSettings& settings, HWND owner) {
    createFrame("", owner);
    SetClientSize(hwnd(), 433, 406);
    createControls();
    FormCreate(settings);
}

void TfSetup::createControls() {
    HWND self = hwnd();
    Label(self, "Izhodna mapa", 16, 10);
    DirectoryEdit1 = LineEdit(self, kDirectoryEdit1, {16, 28, 376, 23});
    browse = MakeChild(self, L"BUTTON", "...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {394, 28, 23, 23}, kBrowse,
                       TahomaFont());

    kopiraj1 =
        MakeChild(self, L"BUTTON", "Kopiraj vse podatke", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
                  {16, 64, 250, 19}, kKopiraj1, TahomaFont());
    kopiraj2 = MakeChild(self, L"BUTTON", "Kopiraj vse podatke, novejše od datuma ", WS_VISIBLE | BS_AUTORADIOBUTTON,
                         {16, 88, 250, 19}, kKopiraj2, TahomaFont());
    datum2 = std::make_unique<TaDateEdit>(self, kDatum2, 272, 86, 21, TahomaFont());
    SetWindowLongPtrW(datum2->hwnd(), GWL_STYLE, GetWindowLongPtrW(datum2->hwnd(), GWL_STYLE) | WS_GROUP);
    datum2->setColours(RGB(0, 0, 0), RGB(255, 0, 0));
    cb_AskDate = CheckBox(self, "Vprašaj za končni mejni datum ", kAskDate, {16, 112, 250, 19});

    Label(self, "Prepis podatkov", 16, 144);
    cb_ra = CheckBox(self, "računi", kRa, {32, 162, 180, 19});
    cb_st = CheckBox(self, "stroški", kSt, {32, 182, 180, 19});
    cb_pn = CheckBox(self, "potni nalogi", kPn, {32, 202, 180, 19});
    cb_do = CheckBox(self, "dobavnice / predračuni", kDo, {32, 222, 180, 19});
    cb_ma = CheckBox(self, "materiali", kMa, {232, 202, 180, 19});
    cb_vs = CheckBox(self, "skupne nastavitve", kVs, {232, 222, 180, 19});
    cb_or = CheckBox(self, "stroškovna mesta", kOr, {232, 162, 180, 19});
    cb_ZR = CheckBox(self, "žiro računi", kZR, {232, 182, 180, 19});
    SetVisible(cb_ma, false);
    SetVisible(cb_vs, false);

    cbFTP = CheckBox(self, "pošlji na FTP strežnik", kFTP, {16, 254, 170, 19});
    CheckBox3 = CheckBox(self, "pošlji obvestilo po elektronski pošti", kCheckBox3, {192, 254, 225, 19});
    Panel2 = Panel(self, kPanel2, {16, 276, 401, 30});
    Label(Panel2, "Koda za prenos", 16, 7);
    servis = LineEdit(Panel2, kServis, {112, 4, 160, 23});
    Label(Panel2, "ID", 296, 7);
    // Typed letters become capitals (č too).
    ID = LineEdit(Panel2, kID, {316, 4, 28, 23}, ES_UPPERCASE);
    SendMessageW(ID, EM_LIMITTEXT, 1, 0);
    AddTooltip(self, ID, kIdHint);

    CheckBox2 = CheckBox(self, "pošlji po elektronski pošti", kCheckBox2, {16, 314, 250, 19});
    Panel1 = Panel(self, kPanel1, {16, 336, 401, 30});
    Label(Panel1, "e-mail", 16, 7);
    Edit1 = LineEdit(Panel1, kEdit1, {112, 4, 281, 23});
    CheckBox1 = CheckBox(Panel1, "uporabi outlook", kCheckBox1, {296, 6, 100, 19});
    SetVisible(CheckBox1, false);

    Button1 = MakeChild(self, L"BUTTON", "V redu", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {254, 372, 75, 25},
                        kButton1, TahomaFont());
    Button2 = MakeChild(self, L"BUTTON", "Preklic", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {342, 372, 75, 25},
                        kButton2, TahomaFont());
}

// A change of state made here runs the handlers just as a click does; the controls start clear.
void TfSetup::FormCreate(const TUserSettings& settings) {
    SetText(DirectoryEdit1, settings.Dest);
    SetText(Edit1, settings.Email);
    SetChecked(CheckBox2, settings.Mail);
    if (settings.Mail)
        CheckBox2Click();
    SetChecked(CheckBox1, settings.Outlook);
    SetChecked(CheckBox3, settings.Message);
    if (settings.Message)
        CheckBox3Click();
    SetVisible(Panel1, settings.Mail || settings.Message);
    SetChecked(kopiraj1, settings.Kopiraj1);
    SetChecked(kopiraj2, settings.Kopiraj2);
    if (settings.Kopiraj1 || settings.Kopiraj2)
        kopiraj1Click();
    datum2->setDate(settings.Datumod);
    SetVisible(datum2->hwnd(), Checked(kopiraj2));
    SetChecked(cb_AskDate, settings.AskDate);
    SetChecked(cb_ra, settings.Racn);
    SetChecked(cb_st, settings.Stro);
    SetChecked(cb_pn, settings.Ptnl);
    SetChecked(cb_do, settings.Doba);
    SetChecked(cb_ma, settings.Mate);
    SetChecked(cb_vs, settings.Vstr);
    SetChecked(cb_or, settings.Orge);
    SetChecked(cb_ZR, settings.Ziro);
    SetChecked(cbFTP, settings.FTP);
    if (settings.FTP)
        cbFTPClick();
    SetText(servis, settings.Servis);
    SetText(ID, settings.ID);
    SetVisible(Panel2, settings.FTP);
}

void TfSetup::takeInto(TUserSettings& settings) const {
    settings.Dest = TextOf(DirectoryEdit1);
    settings.Email = TextOf(Edit1);
    settings.Mail = Checked(CheckBox2);
    settings.Message = Checked(CheckBox3);
    settings.Outlook = Checked(CheckBox1);
    settings.Kopiraj1 = Checked(kopiraj1);
    settings.Kopiraj2 = Checked(kopiraj2);
    settings.Datumod = datum2->date();
    settings.FTP = Checked(cbFTP);
    settings.Servis = TextOf(servis);
    settings.ID = TextOf(ID);
    settings.AskDate = Checked(cb_AskDate);
    settings.Racn = Checked(cb_ra);
    settings.Stro = Checked(cb_st);
    settings.Ptnl = Checked(cb_pn);
    settings.Doba = Checked(cb_do);
    settings.Mate = Checked(cb_ma);
    settings.Vstr = Checked(cb_vs);
    settings.Orge = Checked(cb_or);
    settings.Ziro = Checked(cb_ZR);
}

bool TfSetup::command(int id, int notification, HWND) {
    if (notification != BN_CLICKED)
        return false;
    switch (id) {
    case kButton1:
        // The dialog never closes with a date the field refuses.
        if (!IsWindowVisible(datum2->hwnd()) || datum2->acceptsExit())
            end(IDOK);
        return true;
    case kButton2:
        end(IDCANCEL);
        return true;
    case kBrowse:
        pickOutputFolder();
        return true;
    case kFTP:
        cbFTPClick();
        return true;
    case kCheckBox2:
        CheckBox2Click();
        return true;
    case kCheckBox3:
        CheckBox3Click();
        return true;
    case kKopiraj1:
    case kKopiraj2:
        kopiraj1Click();
        return true;
    default:
        return false;
    }
}

bool TfSetup::edit(HWND owner, TUserSettings& settings, const std::string& caption) {
    TfSetup dialog(settings, owner);
    SetText(dialog.hwnd(), caption);
    if (dialog.runModal(owner) != IDOK)
        return false;
    dialog.takeInto(settings);
    return true;
}

void TfSetup::pickOutputFolder() {
    const std::wstring title = platform::Widen("Izhodna mapa");
    BROWSEINFOW picker{};
    picker.hwndOwner = hwnd();
    picker.lpszTitle = title.c_str();
    picker.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    picker.lpfn = &StartAtDriveRoot;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&picker);
    if (chosen == nullptr)
        return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path))
        SetWindowTextW(DirectoryEdit1, path);
    CoTaskMemFree(chosen);
}

void TfSetup::cbFTPClick() {
    SetVisible(Panel2, Checked(cbFTP));
}

void TfSetup::CheckBox2Click() {
    SetVisible(Panel1, Checked(CheckBox2) || Checked(CheckBox3));
}

// The address serves both ways of mailing: the data itself and the notice after an upload.
void TfSetup::CheckBox3Click() {
    CheckBox2Click();
}

void TfSetup::kopiraj1Click() {
    SetVisible(datum2->hwnd(), Checked(kopiraj2));
    SetVisible(cb_AskDate, Checked(kopiraj2));
}

} // namespace qx::win32
