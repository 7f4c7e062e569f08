#include "app/qt/TfKoncniDatum.h"

#include "WidgetTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace qx {
namespace {

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

TEST(TfKoncniDatum, LayoutAndTexts) {
    TfKoncniDatum dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Vnos mejnega datuma dokumentov"));
    EXPECT_EQ(dialog.size(), QSize(260, 191));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.font().family(), "Tahoma");
    EXPECT_EQ(dialog.Label1->text(),
              QString::fromUtf8("Vnesi  največji končni datum dokumentov,  ki jih bo program pripravil za prenos"));
    EXPECT_TRUE(dialog.Label1->wordWrap());
    EXPECT_EQ(dialog.Label1->pos(), QPoint(32, 24));
    EXPECT_EQ(dialog.Label1->width(), 209);
    EXPECT_GE(dialog.Label1->height(), std::max(33, dialog.Label1->heightForWidth(209)));
    EXPECT_EQ(dialog.KoncniDatum->pos(), QPoint(92, 73));
    EXPECT_TRUE(dialog.KoncniDatum->useOSDateFormat());
    EXPECT_TRUE(dialog.KoncniDatum->zeroDateIsValid());
    EXPECT_EQ(dialog.Button1->text(), "V redu");
    EXPECT_EQ(dialog.Button1->geometry(), QRect(92, 144, 64, 25));
}

struct AskCase {
    const char* name;
    QString typed;     // typed over the whole field before confirming
    bool pressEnter;   // confirm with Enter in the field instead of clicking "V redu"
    bool closeInstead; // close the window instead of confirming
    std::optional<DayCount> expected;
};

TEST(TfKoncniDatum, AskReturnsWhatWasConfirmed) {
    const DayCount initial = Day(2025, 12, 31);
    const std::vector<AskCase> cases = {
        {"unchanged", "", false, false, initial},
        {"typed short form", "1.2.25", false, false, Day(2025, 2, 1)},
        {"confirmed with Enter", "15.6.2024", true, false, Day(2024, 6, 15)},
        {"emptied with slash", "/", false, false, kZeroDate},
        {"closed", "1.2.25", false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::WhenModalShown<TfKoncniDatum>([&c](TfKoncniDatum& dialog) {
            if (!c.typed.isEmpty()) {
                dialog.KoncniDatum->selectAll();
                QTest::keyClicks(dialog.KoncniDatum, c.typed);
            }
            if (c.closeInstead)
                dialog.close();
            else if (c.pressEnter)
                QTest::keyClick(dialog.KoncniDatum, Qt::Key_Return);
            else
                dialog.Button1->click();
        });
        EXPECT_EQ(TfKoncniDatum::ask(nullptr, initial), c.expected);
    }
}

// However "V redu" is reached (a tap that presses and releases at once, Return in the field),
// the dialog never closes with an invalid entry: the field says so and keeps the focus.
TEST(TfKoncniDatum, NeverClosesWithAnInvalidDate) {
    const std::vector<std::pair<const char*, std::function<void(TfKoncniDatum&)>>> confirmations = {
        {"fast click", [](TfKoncniDatum& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); }},
        {"Return in the field", [](TfKoncniDatum& d) { QTest::keyClick(d.KoncniDatum, Qt::Key_Return); }},
    };
    for (const auto& [how, confirm] : confirmations) {
        SCOPED_TRACE(how);
        test::FieldHooks hooks;
        bool stayedOpen = false;
        test::WhenModalShown<TfKoncniDatum>([&](TfKoncniDatum& dialog) {
            dialog.KoncniDatum->selectAll();
            QTest::keyClicks(dialog.KoncniDatum, "31.02.2025");
            confirm(dialog);
            QApplication::processEvents();
            stayedOpen = dialog.isVisible() && dialog.KoncniDatum->hasFocus();
            dialog.reject();
        });
        EXPECT_EQ(TfKoncniDatum::ask(nullptr, Day(2025, 12, 31)), std::nullopt);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(hooks.errors, std::vector<std::string>{"Invalid Date: \"31.02.2025\""});
    }
}

} // namespace
} // namespace qx
