#include "app/win32/TForm1.h"

#include "app/win32/Controls.h"
#include "app/win32/MessageBoxes.h"
#include "app/win32/TfKoncniDatum.h"
#include "app/win32/TfSetup.h"
#include "app/win32/UpdateOffer.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/WideText_win32.h"
#include "run/Choice.h"
#include "run/ErrorGuard.h"
#include "run/ExportRun.h"

#include <commctrl.h>

namespace qx::win32 {

namespace {

const char* const kCaption = "Priprava podatkov za prenos";
const char* const kCreditLine = "qx · priprava podatkov za računovodski servis";
const char* const kWebText = "WWW: <a href=\"https://www.example.com/\">www.example.com</a>";
const char* const kMailText = "E-mail: <a href=\"mailto:info@example.com\">info@example.com</a>";

// The visible text of a link label: the markup without its tags.
std::string WithoutTags(const std::string& markup) {
    std::string text;
    bool inTag = false;
    for (char c : markup) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    return text;
}

// Width in 96-dpi pixels of a label that just holds `text` in the footer's font.
int FooterWidth(const std::string& text) {
    return MulDiv(TextWidth(SmallFont(), text), 96, Scaled(96)) + 4;
}

} // namespace

TForm1::TForm1(Session& session) : session_(session) {
    createFrame(kCaption, nullptr);
    SetClientSize(hwnd(), 311, 281);
    buildControls();
}

void TForm1::buildControls() {
    HWND self = hwnd();
    HFONT font = WindowFont();
    ListBox1 = MakeChild(self, L"LISTBOX", "",
                         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
                         {8, 8, 217, 222}, kListBox1, font, WS_EX_CLIENTEDGE);
    Memo1 = MakeChild(self, L"EDIT", "", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, {8, 8, 217, 222},
                      kMemo1, font, WS_EX_CLIENTEDGE);
    SendMessageW(Memo1, EM_SETLIMITTEXT, 0, 0); // a long run writes more than the default 32 K characters

    // The drop-down box that also takes typed text; its height includes the opened list.
    ComboBox1 = MakeChild(self, L"COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                          {8, 236, 217, 200}, kComboBox1, font);

    const char* captions[] = {"Začni", "Izhod", "Nastavitve", "Pomoč"};
    HWND* buttons[] = {&Button1, &Button3, &Button2, &Button4};
    const int ids[] = {kButton1, kButton3, kButton2, kButton4};
    for (int i = 0; i < 4; ++i)
        *buttons[i] = MakeChild(self, L"BUTTON", captions[i], WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                {232, 8 + i * 31, 72, 25}, ids[i], font);

    ProgressBar1 = MakeChild(self, PROGRESS_CLASSW, "", PBS_VERTICAL, {244, 134, 20, 96}, kProgressBar1, font);
    ProgressBar2 = MakeChild(self, PROGRESS_CLASSW, "", PBS_VERTICAL, {272, 134, 20, 96}, kProgressBar2, font);
    for (HWND bar : {ProgressBar1, ProgressBar2})
        SendMessageW(bar, PBM_SETRANGE32, 0, 100);

    HFONT small = SmallFont();
    MakeChild(self, L"STATIC", kCreditLine, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, {8, 256, FooterWidth(kCreditLine), 12},
              kCredit, small);
    const int webWidth = FooterWidth(WithoutTags(kWebText));
    WebLink = MakeChild(self, WC_LINK, kWebText, WS_VISIBLE | WS_TABSTOP, {8, 268, webWidth, 12}, kWebLink, small);
    MailLink = MakeChild(self, WC_LINK, kMailText, WS_VISIBLE | WS_TABSTOP,
                         {8 + webWidth + 8, 268, FooterWidth(WithoutTags(kMailText)), 12}, kMailLink, small);
    Label4 = MakeChild(self, L"STATIC", "", WS_VISIBLE | SS_RIGHT, {240, 255, 64, 14}, kLabel4, small);
}

bool TForm1::startUp(StartupOptions options) {
    if (!options.updateOffer)
        options.updateOffer = [this] { OfferUpdate(hwnd()); };
    const StartupResult view = RunStartupSequence(session_, options);
    if (view.outcome == StartupOutcome::RootListMissing) {
        showMessage(view.message);
        return false;
    }
    SendMessageW(ComboBox1, CB_RESETCONTENT, 0, 0);
    for (const std::string& root : session_.selection.rootBoxEntries)
        SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(root).c_str()));
    SendMessageW(ComboBox1, CB_SETCURSEL, static_cast<WPARAM>(view.selectedRoot), 0);
    SetText(ComboBox1, view.rootBoxText);
    SetText(Label4, view.versionLabel);
    showUserList(view.selectedUser);
    CentreOver(hwnd(), nullptr);
    return true;
}

void TForm1::showUserList(int selectedRow) {
    SendMessageW(ListBox1, LB_RESETCONTENT, 0, 0);
    for (const std::string& user : session_.selection.userList)
        SendMessageW(ListBox1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(user).c_str()));
    SendMessageW(ListBox1, LB_SETCURSEL, static_cast<WPARAM>(selectedRow), 0);
}

void TForm1::Button1Click() {
    RunGuarded(*this, [&] { qx::StartTransfer(session_, *this); });
    closeWhenIdle();
}

void TForm1::Button2Click() {
    RunGuarded(*this, [&] { qx::EditUserSettings(session_, *this); });
    closeWhenIdle();
}

// A run in progress still uses the window: the window goes when the run is over.
void TForm1::Button3Click() {
    closeRequested_ = true;
    closeWhenIdle();
}

void TForm1::closeWhenIdle() {
    if (closeRequested_ && !session_.runInProgress && hwnd())
        DestroyWindow(hwnd());
}

void TForm1::Button4Click() {
    platform::OpenHelpFile(platform::ExecutableFolder() + "qx.chm");
}

void TForm1::ComboBox1Change(bool fromList) {
    const auto index = static_cast<int>(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0));
    std::string entry;
    if (index >= 0) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(ComboBox1, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
        const auto length = SendMessageW(ComboBox1, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
        entry = platform::Narrow(item.data(), static_cast<int>(length));
    }
    // Typed text that is no entry selects none.
    if (!fromList && TextOf(ComboBox1) != entry)
        entry.clear();
    RunGuarded(*this, [&] {
        qx::SelectRoot(session_, entry);
        showUserList(-1);
    });
}

void TForm1::ListBox1Click() {
    const std::optional<std::string> user = selectedUser();
    RunGuarded(*this, [&] { qx::SelectUser(session_, user); });
}

LRESULT TForm1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int notification = HIWORD(wParam);
        if (id == kListBox1 && notification == LBN_SELCHANGE) // mouse and keyboard alike
            ListBox1Click();
        else if (id == kComboBox1 && (notification == CBN_SELCHANGE || notification == CBN_EDITCHANGE))
            ComboBox1Change(notification == CBN_SELCHANGE);
        else if (notification == BN_CLICKED && id == kButton1)
            Button1Click();
        else if (notification == BN_CLICKED && id == kButton2)
            Button2Click();
        else if (notification == BN_CLICKED && id == kButton3)
            Button3Click();
        else if (notification == BN_CLICKED && id == kButton4)
            Button4Click();
        else
            break;
        return 0;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if ((header->idFrom == kWebLink || header->idFrom == kMailLink) &&
            (header->code == NM_CLICK || header->code == NM_RETURN)) {
            const auto* link = reinterpret_cast<const NMLINK*>(lParam);
            platform::OpenUrl(platform::Narrow(link->item.szUrl));
            return 0;
        }
        break;
    }
    case WM_ACTIVATE:
        // The focus comes back to the control that had it, the user list at first.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd(), focus))
                lastFocus_ = focus;
        } else {
            SetFocus(lastFocus_ && IsWindowVisible(lastFocus_) ? lastFocus_ : ListBox1);
        }
        return 0;
    case WM_CLOSE:
        Button3Click();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return Window::handle(message, wParam, lParam);
}

// --- the operator interface of a run started from this window

void TForm1::clearLog() {
    SetWindowTextW(Memo1, L"");
    logEmpty_ = true;
}

void TForm1::setLogVisible(bool visible) {
    ShowWindow(Memo1, visible ? SW_SHOW : SW_HIDE);
    ShowWindow(ListBox1, visible ? SW_HIDE : SW_SHOW);
}

void TForm1::appendLine(const std::string& line) {
    appendToLastLine(logEmpty_ ? line : "\r\n" + line);
    logEmpty_ = false;
}

void TForm1::appendToLastLine(const std::string& text) {
    const int end = GetWindowTextLengthW(Memo1);
    SendMessageW(Memo1, EM_SETSEL, end, end);
    SendMessageW(Memo1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(platform::Widen(text).c_str()));
    logEmpty_ = false;
}

void TForm1::showMessage(const std::string& text) {
    MessageBoxes::inform(hwnd(), kCaption, text);
}

void TForm1::showError(const std::string& text) {
    MessageBoxes::error(hwnd(), kCaption, text);
}

std::optional<DayCount> TForm1::askEndDate(DayCount initial) {
    return TfKoncniDatum::ask(hwnd(), initial);
}

bool TForm1::editSettings(TUserSettings& settings, const std::string& caption) {
    return TfSetup::edit(hwnd(), settings, caption);
}

HWND TForm1::barOf(ProgressBar bar) const {
    return bar == ProgressBar::File ? ProgressBar1 : ProgressBar2;
}

void TForm1::setBarMaximum(ProgressBar bar, std::int64_t maximum) {
    // The bar takes the low 32 bits, as the bar's range is a 32-bit value.
    SendMessageW(barOf(bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(static_cast<std::int32_t>(maximum)));
}

void TForm1::setBarValue(ProgressBar bar, std::int64_t value) {
    SendMessageW(barOf(bar), PBM_SETPOS, static_cast<WPARAM>(static_cast<std::int32_t>(value)), 0);
}

void TForm1::setBarVisible(ProgressBar bar, bool visible) {
    ShowWindow(barOf(bar), visible ? SW_SHOW : SW_HIDE);
}

void TForm1::processMessages() {
    PumpPendingMessages();
    UpdateWindow(hwnd());
}

std::string TForm1::rootBoxText() {
    return TextOf(ComboBox1);
}

std::optional<std::string> TForm1::selectedUser() {
    const auto index = static_cast<int>(SendMessageW(ListBox1, LB_GETCURSEL, 0, 0));
    if (index < 0)
        return std::nullopt;
    std::wstring item(static_cast<std::size_t>(SendMessageW(ListBox1, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    const auto length = SendMessageW(ListBox1, LB_GETTEXT, index, reinterpret_cast<LPARAM>(item.data()));
    return platform::Narrow(item.data(), static_cast<int>(length));
}

} // namespace qx::win32
