#pragma once
// The date field as the system's own edit control, subclassed: it forwards typed keys and the
// leaving of the focus to the date field's logic and shows the text it gives, in the colour
// of its verdict.
#include "datefield/DateEditState.h"
#include "text/Dates.h"

#include <functional>
#include <string>
#include <windows.h>

namespace qx::win32 {

class TaDateEdit {
public:
    // How a refused exit reaches the operator (the program's error box).
    using ErrorReporter = std::function<void(HWND field, const std::string& text)>;

    // Creates the edit control at `left`, `top` of `parent`; its width follows from its font.
    TaDateEdit(HWND parent, int id, int left, int top, int height, HFONT font);
    TaDateEdit(const TaDateEdit&) = delete;
    TaDateEdit& operator=(const TaDateEdit&) = delete;
    ~TaDateEdit();

    HWND hwnd() const { return hwnd_; }
    // The field behind an edit control, or nullptr.
    static TaDateEdit* of(HWND window);

    DayCount date() const;
    // Commits a date; throws Error "Invalid Date: ..." when it is refused.
    void setDate(DayCount date);
    bool isValidDate() const;
    DateEditState& state() { return state_; }
    void setColours(COLORREF ok, COLORREF invalid);

    // A dialog about to close with this field's value: true when the value is a valid date
    // (then committed); otherwise the field refuses as when the focus leaves it.
    bool acceptsExit();

    // From the owner window: WM_CTLCOLOREDIT and EN_CHANGE.
    LRESULT colour(HDC context);
    void textChanged();

    static void setErrorReporter(ErrorReporter reporter);
    // The default beep; tests count beeps through it. An empty function restores MessageBeep.
    static void setBeep(std::function<void()> beep);

private:
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool typed(wchar_t key);
    void leftField(HWND newFocus);
    void refuseInvalidExit();
    void showCommittedDate();
    void commitFromKey(DayCount date);
    void selectAll();
    void updateWidth();
    std::string text() const;

    HWND hwnd_ = nullptr;
    DateEditState state_;
    COLORREF colourOk_ = RGB(0, 0, 0);
    COLORREF colourInvalid_ = RGB(255, 0, 0);
    bool showOkColour_ = false; // after a refused exit, until the text changes
};

} // namespace qx::win32
