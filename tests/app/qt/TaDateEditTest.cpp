#include "app/qt/TaDateEdit.h"

#include "WidgetTestSupport.h"
#include "platform/Clock.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace qx {
namespace {

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

// A form with the date field and a second field to move the focus to.
class DateField : public testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&form);
        field = new TaDateEdit(&form);
        other = new QLineEdit(&form);
        layout->addWidget(field);
        layout->addWidget(other);
        ASSERT_TRUE(test::ShowActive(form));
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        field->setDate(Day(2025, 12, 31));
    }

    void typeOver(const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    void leaveWithTab() {
        QTest::keyClick(field, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }

    QColor textColour() const { return field->palette().color(QPalette::Active, QPalette::Text); }

    test::FieldHooks hooks;
    QWidget form;
    TaDateEdit* field = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(DateField, StartsWithTodayInTheSystemOrder) {
    TaDateEdit fresh;
    EXPECT_EQ(fresh.date(), platform::Today());
    EXPECT_EQ(fresh.text().toStdString(), FormatDate(platform::Today(), DateOrder::DayFirst, '.'));
    EXPECT_TRUE(fresh.useOSDateFormat());
    EXPECT_TRUE(fresh.zeroDateIsValid());
    EXPECT_EQ(fresh.colorTextOK(), QColor(Qt::black));
    EXPECT_EQ(fresh.colorTextErr(), QColor(Qt::red));
}

TEST_F(DateField, TypingRecoloursOnEveryChange) {
    typeOver("31.02.2025");
    EXPECT_EQ(textColour(), QColor(Qt::red));
    EXPECT_FALSE(field->isValidDate());
    EXPECT_EQ(field->date(), Day(2025, 12, 31)); // typing never changes the committed date
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "31.02.2");
    EXPECT_EQ(textColour(), QColor(Qt::red));
    typeOver("28.02.25");
    EXPECT_EQ(textColour(), QColor(Qt::black));
    EXPECT_EQ(field->date(), Day(2025, 2, 28));
}

TEST_F(DateField, FullTextCutOffAfterTheCaret) {
    field->deselect();
    field->setCursorPosition(2);
    QTest::keyClick(field, '5');
    EXPECT_EQ(field->text(), "315");

    field->setDate(Day(2025, 12, 31));
    field->deselect();
    field->end(false);
    QTest::keyClick(field, '5');
    EXPECT_EQ(field->text(), "31.12.20255");
    EXPECT_FALSE(field->isValidDate());
    EXPECT_EQ(textColour(), QColor(Qt::red));

    // With a selection the typed digit simply replaces it.
    field->setDate(Day(2025, 12, 31));
    field->setSelection(0, 2);
    QTest::keyClick(field, '0');
    EXPECT_EQ(field->text(), "0.12.2025");
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(DateField, PlusAndMinusStepFromTheCommittedDate) {
    QTest::keyClick(field, '+');
    EXPECT_EQ(field->text(), "01.01.2026");
    EXPECT_EQ(field->date(), Day(2026, 1, 1));
    EXPECT_EQ(field->selectedText(), field->text());

    typeOver("5.5.2020"); // valid, but not committed: the step starts from 1 January 2026
    QTest::keyClick(field, '-');
    EXPECT_EQ(field->text(), "31.12.2025");
    EXPECT_EQ(hooks.beeps, 0);

    typeOver("31.02.2025");
    QTest::keyClick(field, '+');
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(field->text(), "31.02.2025");
    EXPECT_EQ(field->date(), Day(2025, 12, 31));

    field->setDate(kZeroDate);
    QTest::keyClick(field, '-');
    EXPECT_EQ(hooks.beeps, 2);
    EXPECT_EQ(field->date(), kZeroDate);
}

TEST_F(DateField, PlusRefusedByTheCheckKeepsTheDateQuietly) {
    field->setOnCheckDate([](TaDateEdit&, DayCount date) { return date <= Day(2025, 12, 31); });
    QTest::keyClick(field, '+');
    EXPECT_EQ(field->text(), "31.12.2025");
    EXPECT_EQ(field->selectedText(), field->text());
    EXPECT_EQ(hooks.beeps, 0);
    QTest::keyClick(field, '-');
    EXPECT_EQ(field->text(), "30.12.2025");
}

TEST_F(DateField, EscapeShowsTheCommittedDateAgain) {
    typeOver("31.02.20");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "31.12.2025");
    EXPECT_EQ(field->selectedText(), "31.12.2025");
    EXPECT_EQ(textColour(), QColor(Qt::black));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(DateField, StarCommitsTodayAndSlashEmpties) {
    QTest::keyClick(field, '*');
    EXPECT_EQ(field->date(), platform::Today());
    EXPECT_EQ(field->selectedText().toStdString(), FormatDate(platform::Today(), DateOrder::DayFirst, '.'));

    QTest::keyClick(field, '/');
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(field->date(), kZeroDate);
    EXPECT_EQ(textColour(), QColor(Qt::black));

    field->setZeroDateIsValid(false);
    EXPECT_EQ(textColour(), QColor(Qt::red));
    EXPECT_EQ(field->date(), platform::Today()); // the empty text is invalid now: the committed date
}

TEST_F(DateField, StarRefusedByTheCheckReportsTheError) {
    field->setOnCheckDate([](TaDateEdit&, DayCount date) { return date != platform::Today(); });
    QTest::keyClick(field, '*');
    ASSERT_EQ(hooks.errors.size(), 1u);
    EXPECT_EQ(hooks.errors[0], "Invalid Date: " + FormatDate(platform::Today(), DateOrder::DayFirst, '.'));
    EXPECT_EQ(field->date(), Day(2025, 12, 31));
}

TEST_F(DateField, OtherKeysBeepAndChangeNothing) {
    field->deselect();
    field->end(false);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "31.12.202");
    for (char key : {'a', ',', ' ', '-'})
        QTest::keyClick(field, key);
    QKeyEvent cCaron(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("č"));
    QApplication::sendEvent(field, &cCaron);
    EXPECT_EQ(hooks.beeps, 5); // "-" too: the text is invalid
    EXPECT_EQ(field->text(), "31.12.202");
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->text(), "1.12.202");
    EXPECT_EQ(hooks.beeps, 5);
}

TEST_F(DateField, LeavingWithAValidEntryCommitsTheFullForm) {
    typeOver("1.2.25");
    leaveWithTab();
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(field->text(), "01.02.2025");
    field->setText("garbage");
    EXPECT_EQ(field->date(), Day(2025, 2, 1));
    EXPECT_TRUE(hooks.errors.empty());
}

TEST_F(DateField, LeavingTheZeroDateShowsNothingAndEnteringKeepsIt) {
    typeOver("00.00.0000");
    leaveWithTab();
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(field->date(), kZeroDate);
    // The blank mask shows when the zero date is written while the field is the active control.
    field->setFocus();
    field->setDate(kZeroDate);
    EXPECT_EQ(field->text(), "00.00.0000");
    other->setFocus();
    field->clear();
    EXPECT_EQ(field->text(), "");
}

TEST_F(DateField, LeavingWithAnInvalidEntryKeepsTheFocus) {
    typeOver("31.02.2025");
    leaveWithTab();
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->text(), "31.02.2025");
    EXPECT_EQ(textColour(), QColor(Qt::black));
    ASSERT_EQ(hooks.errors.size(), 1u);
    EXPECT_EQ(hooks.errors[0], "Invalid Date: \"31.02.2025\"");
    EXPECT_EQ(field->date(), Day(2025, 12, 31));
}

TEST_F(DateField, InvalidDateHandlerReplacesTheError) {
    int calls = 0;
    field->setOnInvalidDate([&](TaDateEdit& sender) {
        EXPECT_EQ(&sender, field);
        ++calls;
    });
    typeOver("31.13.2025");
    leaveWithTab();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(hooks.errors.empty());
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(field->text(), "31.13.2025");
}

TEST_F(DateField, WritingTheDateChecksIt) {
    field->setZeroDateIsValid(false);
    try {
        field->setDate(kZeroDate);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Invalid Date: 00.00.0000");
    }
    field->setOnCheckDate([](TaDateEdit&, DayCount date) { return date < Day(2026, 1, 1); });
    EXPECT_THROW(field->setDate(Day(2026, 1, 1)), Error);
    EXPECT_EQ(field->date(), Day(2025, 12, 31));
    typeOver("1.1.26");
    EXPECT_EQ(textColour(), QColor(Qt::red));
}

TEST_F(DateField, YearFirstFormatWhenTheSystemIsNotFollowed) {
    field->setDateFormat("m"); // ignored while the system's format is followed
    EXPECT_EQ(field->text(), "31.12.2025");
    field->setUseOSDateFormat(false);
    field->setDateFormat("yyyy/mm/dd");
    EXPECT_EQ(field->dateFormat(), "yyyy/mm/dd");
    EXPECT_EQ(field->text(), "2025.12.31");
    for (const char* typed : {"25.12.31", "251231", "20251231", "2025.12.31"}) {
        typeOver(typed);
        EXPECT_EQ(field->date(), Day(2025, 12, 31)) << typed;
    }
    field->setUseOSDateFormat(true);
    EXPECT_EQ(field->dateFormat(), "");
    EXPECT_EQ(field->text(), "31.12.2025");
}

TEST_F(DateField, EpochDecidesShortYears) {
    field->setEpoch(1940);
    field->setEpoch(1899);
    field->setEpoch(2101);
    EXPECT_EQ(field->epoch(), 1940);
    typeOver("1.1.39");
    EXPECT_EQ(field->date(), Day(2039, 1, 1));
    field->setEpoch(2000);
    typeOver("1.1.99");
    EXPECT_EQ(field->date(), Day(2099, 1, 1));
}

TEST_F(DateField, WidthFitsTheBlankMaskAndOneDigit) {
    const int needed = QFontMetrics(field->font()).horizontalAdvance("00.00.00000");
    EXPECT_GE(field->width(), needed);
    EXPECT_LE(field->width(), needed + 30);
    QFont larger = field->font();
    larger.setPointSize(larger.pointSize() * 2);
    field->setFont(larger);
    EXPECT_GE(field->width(), QFontMetrics(larger).horizontalAdvance("00.00.00000"));
    EXPECT_GT(field->width(), needed + 30);
}

} // namespace
} // namespace qx
