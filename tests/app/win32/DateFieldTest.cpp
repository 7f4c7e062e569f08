// The date field as a subclassed edit control: keys, leaving the focus, colour and width.
#include "app/win32/Controls.h"
#include "app/win32/TfKoncniDatum.h"
#include "platform/Clock.h"
#include "tests/app/win32/WindowTestSupport.h"

#include <gtest/gtest.h>

namespace qx::test {
namespace {

using win32::TextOf;

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

class Win32DateFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::TaDateEdit::setErrorReporter([this](HWND, const std::string& text) { errors.push_back(text); });
        win32::TaDateEdit::setBeep([this] { ++beeps; });
        ShowWindow(dialog.hwnd(), SW_SHOW);
        SetForegroundWindow(dialog.hwnd());
        field().setDate(Day(2025, 12, 31));
        SetFocus(field().hwnd());
    }
    void TearDown() override {
        win32::TaDateEdit::setErrorReporter({});
        win32::TaDateEdit::setBeep({});
    }
    win32::TaDateEdit& field() { return *dialog.KoncniDatum; }
    COLORREF textColour() {
        HDC context = GetDC(field().hwnd());
        field().colour(context);
        const COLORREF colour = GetTextColor(context);
        ReleaseDC(field().hwnd(), context);
        return colour;
    }

    win32::TfKoncniDatum dialog{nullptr};
    std::vector<std::string> errors;
    int beeps = 0;
};

TEST_F(Win32DateFieldTest, KeysTypedIntoTheField) {
    struct Case {
        const char* name;
        const wchar_t* text; // before the key
        int caret;           // -1: the whole text selected
        std::wstring keys;
        const char* shown;
        DayCount committed;
        int beeps;
    };
    const std::vector<Case> cases = {
        {"+ steps from the committed date", L"31.12.2025", -1, L"+", "01.01.2026", Day(2026, 1, 1), 0},
        {"- steps back", L"31.12.2025", -1, L"-", "30.12.2025", Day(2025, 12, 30), 0},
        {"+ on an invalid text beeps", L"31.02.2025", 10, L"+", "31.02.2025", Day(2025, 12, 31), 1},
        {"* commits today", L"1.1", 3, L"*", nullptr, platform::Today(), 0},
        {"/ empties", L"31.12.2025", 10, L"/", "", Day(2025, 12, 31), 0},
        {"letters beep", L"31.12", 5, L"ač", "31.12", Day(2025, 12, 31), 2},
        {"a full text is cut after the caret", L"31.12.2025", 2, L"5", "315", Day(2025, 12, 31), 0},
        {"at the end the digit is added", L"31.12.2025", 10, L"5", "31.12.20255", Day(2025, 12, 31), 0},
        {"Escape shows the committed date", L"3", 1, L"\x1b", "31.12.2025", Day(2025, 12, 31), 0},
    };
    for (const Case& c : cases) {
        field().setDate(Day(2025, 12, 31));
        beeps = 0;
        SetWindowTextW(field().hwnd(), c.text);
        const int length = GetWindowTextLengthW(field().hwnd());
        SendMessageW(field().hwnd(), EM_SETSEL, c.caret < 0 ? 0 : c.caret, c.caret < 0 ? length : c.caret);
        Type(field().hwnd(), c.keys);
        if (c.shown) {
            EXPECT_EQ(TextOf(field().hwnd()), c.shown) << c.name;
        }
        EXPECT_EQ(field().state().lastValidDate(), c.committed) << c.name;
        EXPECT_EQ(beeps, c.beeps) << c.name;
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32DateFieldTest, LeavingWithAValidEntryShowsItInFull) {
    SetWindowTextW(field().hwnd(), L"1.2.25");
    SetFocus(dialog.Button1);
    win32::PumpPendingMessages();
    EXPECT_EQ(TextOf(field().hwnd()), "01.02.2025");
    EXPECT_EQ(field().date(), Day(2025, 2, 1));
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32DateFieldTest, LeavingWithAnInvalidEntryIsRefused) {
    SetWindowTextW(field().hwnd(), L"31.12.202");
    EXPECT_EQ(textColour(), RGB(255, 0, 0));
    SetFocus(dialog.Button1);
    win32::PumpPendingMessages();
    EXPECT_EQ(errors, std::vector<std::string>{"Invalid Date: \"31.12.202\""});
    EXPECT_EQ(GetFocus(), field().hwnd());
    EXPECT_EQ(TextOf(field().hwnd()), "31.12.202"); // kept as typed, in the valid colour
    EXPECT_EQ(textColour(), RGB(0, 0, 0));
    EXPECT_EQ(field().date(), Day(2025, 12, 31));
}

TEST_F(Win32DateFieldTest, WidthFollowsTheBlankMaskInItsFont) {
    RECT client;
    GetClientRect(field().hwnd(), &client);
    const LRESULT margins = SendMessageW(field().hwnd(), EM_GETMARGINS, 0, 0);
    const int expected = win32::TextWidth(win32::TahomaFont(), "00.00.00000") + LOWORD(margins) + HIWORD(margins);
    EXPECT_EQ(client.right, expected);
}

} // namespace
} // namespace qx::test
