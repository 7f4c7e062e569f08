#include "app/win32/TaDateEdit.h"

#include "app/win32/Controls.h"
#include "platform/WideText_win32.h"
#include "text/Error.h"

#include <commctrl.h>

namespace qx::win32 {
namespace {

constexpr const wchar_t* kFieldProperty = L"qx.TaDateEdit";
constexpr UINT kRefuseExit = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 1;

std::function<void()>& BeepHook() {
    static std::function<void()> hook;
    return hook;
}

TaDateEdit::ErrorReporter& ErrorReporterHook() {
    static TaDateEdit::ErrorReporter hook;
    return hook;
}

void Beep() {
    if (BeepHook())
        BeepHook()();
    else
        MessageBeep(MB_OK);
}

void Report(HWND field, const std::string& text) {
    if (ErrorReporterHook())
        ErrorReporterHook()(field, text);
    else
        MessageBoxW(GetAncestor(field, GA_ROOT), platform::Widen(text).c_str(), L"", MB_OK | MB_ICONERROR);
}

std::string SystemShortDateFormat() {
    wchar_t format[LOCALE_NAME_MAX_LENGTH * 2] = {};
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, format, std::size(format));
    return length > 1 ? platform::Narrow(format, length - 1) : std::string("dd.MM.yyyy");
}

} // namespace

TaDateEdit::TaDateEdit(HWND parent, int id, int left, int top, int height, HFONT font)
    : state_(SystemShortDateFormat()) {
    hwnd_ = MakeChild(parent, L"EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, {left, top, 64, height}, id, font,
                      WS_EX_CLIENTEDGE);
    SetPropW(hwnd_, kFieldProperty, this);
    SetWindowSubclass(hwnd_, &TaDateEdit::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    showCommittedDate();
    updateWidth();
}

TaDateEdit::~TaDateEdit() {
    if (IsWindow(hwnd_)) {
        RemoveWindowSubclass(hwnd_, &TaDateEdit::Subclass, kSubclassId);
        RemovePropW(hwnd_, kFieldProperty);
    }
}

TaDateEdit* TaDateEdit::of(HWND window) {
    return window ? static_cast<TaDateEdit*>(GetPropW(window, kFieldProperty)) : nullptr;
}

void TaDateEdit::setErrorReporter(ErrorReporter reporter) {
    ErrorReporterHook() = std::move(reporter);
}

void TaDateEdit::setBeep(std::function<void()> beep) {
    BeepHook() = std::move(beep);
}

std::string TaDateEdit::text() const {
    return TextOf(hwnd_);
}

DayCount TaDateEdit::date() const {
    return state_.dateFor(text());
}

void TaDateEdit::setDate(DayCount date) {
    state_.commit(date);
    showCommittedDate();
}

bool TaDateEdit::isValidDate() const {
    return state_.parse(text()).has_value();
}

void TaDateEdit::setColours(COLORREF ok, COLORREF invalid) {
    colourOk_ = ok;
    colourInvalid_ = invalid;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TaDateEdit::acceptsExit() {
    if (!state_.leave(text())) {
        showCommittedDate();
        return true;
    }
    refuseInvalidExit();
    return false;
}

LRESULT TaDateEdit::colour(HDC context) {
    SetTextColor(context, showOkColour_ || isValidDate() ? colourOk_ : colourInvalid_);
    SetBkColor(context, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void TaDateEdit::textChanged() {
    showOkColour_ = false;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK TaDateEdit::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    auto* self = reinterpret_cast<TaDateEdit*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &TaDateEdit::Subclass, kSubclassId);
        RemovePropW(window, kFieldProperty);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT TaDateEdit::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: {
        // Escape belongs to the field, not to the dialog's cancel.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DefSubclassProc(hwnd_, message, wParam, lParam);
        if (key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) && key->wParam == VK_ESCAPE)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR:
        if (typed(static_cast<wchar_t>(wParam)))
            return 0;
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
        leftField(reinterpret_cast<HWND>(wParam));
        return result;
    }
    case kRefuseExit:
        if (IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_) && !isValidDate())
            refuseInvalidExit();
        return 0;
    case WM_SETFONT: {
        const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
        updateWidth();
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd_, message, wParam, lParam);
}

// True when the key was handled here and the edit control must not see it.
bool TaDateEdit::typed(wchar_t key) {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<std::size_t>(GetWindowTextLengthW(hwnd_));
    const DateEditState::KeyOutcome outcome = state_.key(key, text(), length, start != end);
    using Effect = DateEditState::KeyEffect;
    switch (outcome.effect) {
    case Effect::PassThrough:
    case Effect::Insert:
        return false;
    case Effect::CutThenInsert:
        if (end < length) {
            SendMessageW(hwnd_, EM_SETSEL, end, static_cast<LPARAM>(length));
            SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        }
        return false;
    case Effect::ShowCommitted:
        showCommittedDate();
        break;
    case Effect::CommitDate:
        commitFromKey(outcome.date);
        break;
    case Effect::Empty:
        SetWindowTextW(hwnd_, L"");
        break;
    case Effect::Beep:
        Beep();
        return true;
    case Effect::SelectAll:
        break;
    }
    selectAll();
    return true;
}

// No error may escape into the message loop: a refused date goes to the operator as a message.
void TaDateEdit::commitFromKey(DayCount date) {
    try {
        setDate(date);
    } catch (const Error& error) {
        Report(hwnd_, error.what());
    }
}

void TaDateEdit::leftField(HWND newFocus) {
    // Another window taking over (a message box, the window losing activation) is no leaving of the field.
    if (newFocus == nullptr || GetAncestor(newFocus, GA_ROOT) != GetAncestor(hwnd_, GA_ROOT))
        return;
    if (!state_.leave(text())) {
        showCommittedDate();
        return;
    }
    // Taken back once the focus change has finished.
    PostMessageW(hwnd_, kRefuseExit, 0, 0);
}

void TaDateEdit::refuseInvalidExit() {
    const std::string refusal = state_.leave(text()).value_or("");
    SetFocus(hwnd_);
    showOkColour_ = true;
    InvalidateRect(hwnd_, nullptr, TRUE);
    Report(hwnd_, refusal);
}

void TaDateEdit::showCommittedDate() {
    SetText(hwnd_, state_.displayText(GetFocus() == hwnd_));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TaDateEdit::selectAll() {
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

void TaDateEdit::updateWidth() {
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    const LRESULT margins = SendMessageW(hwnd_, EM_GETMARGINS, 0, 0);
    const int inner = TextWidth(font, state_.blankMask() + "0") + LOWORD(margins) + HIWORD(margins);
    RECT frame{0, 0, inner, 10};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    RECT place;
    GetWindowRect(hwnd_, &place);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, place.bottom - place.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace qx::win32
