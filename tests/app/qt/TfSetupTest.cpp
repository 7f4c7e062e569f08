#include "app/qt/TfSetup.h"

#include "WidgetTestSupport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace qx {
namespace {

DayCount Day(int year, int month, int day) {
    return DayCountOf({year, month, day});
}

TUserSettings FullSettings() {
    TUserSettings settings;
    settings.DS = "12345678";
    settings.Dest = "/srv/izhod";
    settings.Email = "racunovodja@example.com";
    settings.Mail = true;
    settings.Message = false;
    settings.Outlook = true;
    settings.FTP = true;
    settings.Servis = "KODA";
    settings.ID = "B";
    settings.AskDate = true;
    settings.Kopiraj1 = false;
    settings.Kopiraj2 = true;
    settings.Datumod = Day(2025, 1, 1);
    settings.Racn = true;
    settings.Stro = false;
    settings.Ptnl = true;
    settings.Doba = false;
    settings.Mate = true;
    settings.Orge = false;
    settings.Ziro = true;
    settings.Vstr = false;
    return settings;
}

// Whether a control would show while the dialog shows.
bool Shown(const QWidget* control) {
    return control->isVisibleTo(control->window());
}

TEST(TfSetup, ControlsAndTexts) {
    const TfSetup dialog{TUserSettings{}};
    EXPECT_EQ(dialog.size(), QSize(433, 406));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());

    const std::vector<std::pair<const QAbstractButton*, const char*>> captions = {
        {dialog.kopiraj1, "Kopiraj vse podatke"},
        {dialog.kopiraj2, "Kopiraj vse podatke, novejše od datuma "},
        {dialog.cb_AskDate, "Vprašaj za končni mejni datum "},
        {dialog.cb_ra, "računi"},
        {dialog.cb_st, "stroški"},
        {dialog.cb_pn, "potni nalogi"},
        {dialog.cb_do, "dobavnice / predračuni"},
        {dialog.cb_ma, "materiali"},
        {dialog.cb_vs, "skupne nastavitve"},
        {dialog.cb_or, "stroškovna mesta"},
        {dialog.cb_ZR, "žiro računi"},
        {dialog.cbFTP, "pošlji na FTP strežnik"},
        {dialog.CheckBox3, "pošlji obvestilo po elektronski pošti"},
        {dialog.CheckBox2, "pošlji po elektronski pošti"},
        {dialog.CheckBox1, "uporabi outlook"},
        {dialog.Button1, "V redu"},
        {dialog.Button2, "Preklic"},
    };
    for (const auto& [control, caption] : captions)
        EXPECT_EQ(control->text(), QString::fromUtf8(caption));

    QSet<QString> labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels.insert(label->text());
    for (const char* label : {"Izhodna mapa", "Prepis podatkov", "Koda za prenos", "ID", "e-mail"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(label))) << label;

    EXPECT_EQ(dialog.ID->toolTip(),
              QString::fromUtf8("V primeru, da ISTEMU računovodskemu servisu pošiljamo podatke \r"
                                "od različnih uporabnikov v KERNIH, ki imajo ENAKO davčno številko,\r"
                                "v polje ID vnesemo enolično določeno identifikacijo uporabnika (n.pr. 1)"));
    EXPECT_TRUE(dialog.Panel2->isAncestorOf(dialog.servis));
    EXPECT_TRUE(dialog.Panel2->isAncestorOf(dialog.ID));
    EXPECT_TRUE(dialog.Panel1->isAncestorOf(dialog.Edit1));
    EXPECT_TRUE(dialog.Panel1->isAncestorOf(dialog.CheckBox1));
    EXPECT_TRUE(dialog.datum2->useOSDateFormat());
    EXPECT_TRUE(dialog.datum2->zeroDateIsValid());
    EXPECT_EQ(dialog.datum2->colorTextErr(), QColor(Qt::red));
    EXPECT_EQ(dialog.datum2->colorTextOK(), QColor(Qt::black));
    EXPECT_EQ(TfSetup::captionFor("SKUPNO    "), "Nastavitve za uporabnika SKUPNO    ");
}

TEST(TfSetup, FirstOpenedUserStartsClear) {
    TUserSettings settings;
    settings.Dest = "/opt/qx/IZHOD/";
    const TfSetup dialog(settings);
    for (const QCheckBox* box : dialog.findChildren<QCheckBox*>())
        EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
    EXPECT_FALSE(dialog.kopiraj1->isChecked());
    EXPECT_FALSE(dialog.kopiraj2->isChecked());
    EXPECT_EQ(dialog.datum2->date(), kZeroDate);
    EXPECT_EQ(dialog.datum2->text(), "");
    EXPECT_EQ(dialog.DirectoryEdit1->text(), "/opt/qx/IZHOD/");
    EXPECT_TRUE(Shown(dialog.cb_AskDate));
    EXPECT_FALSE(Shown(dialog.datum2));
    EXPECT_FALSE(Shown(dialog.Panel1));
    EXPECT_FALSE(Shown(dialog.Panel2));
    EXPECT_FALSE(Shown(dialog.cb_ma));
    EXPECT_FALSE(Shown(dialog.cb_vs));
    EXPECT_FALSE(Shown(dialog.CheckBox1));
}

TEST(TfSetup, StoredChoicesDecideWhatShows) {
    TUserSettings copyAll;
    copyAll.Kopiraj1 = true;
    const TfSetup all(copyAll);
    EXPECT_FALSE(Shown(all.datum2));
    EXPECT_FALSE(Shown(all.cb_AskDate));

    TUserSettings newer;
    newer.Kopiraj2 = true;
    newer.Message = true;
    newer.FTP = true;
    const TfSetup dated(newer);
    EXPECT_TRUE(Shown(dated.datum2));
    EXPECT_TRUE(Shown(dated.cb_AskDate));
    EXPECT_TRUE(Shown(dated.Panel1));
    EXPECT_TRUE(Shown(dated.Panel2));
}

TEST(TfSetup, ClicksShowAndHideTheGroups) {
    TfSetup dialog{TUserSettings{}};
    ASSERT_TRUE(test::ShowActive(dialog));

    QTest::mouseClick(dialog.CheckBox3, Qt::LeftButton);
    EXPECT_TRUE(dialog.Panel1->isVisible());
    QTest::mouseClick(dialog.CheckBox2, Qt::LeftButton);
    QTest::mouseClick(dialog.CheckBox3, Qt::LeftButton);
    EXPECT_TRUE(dialog.Panel1->isVisible()); // CheckBox2 still ticked
    QTest::mouseClick(dialog.CheckBox2, Qt::LeftButton);
    EXPECT_FALSE(dialog.Panel1->isVisible());

    QTest::mouseClick(dialog.cbFTP, Qt::LeftButton);
    EXPECT_TRUE(dialog.Panel2->isVisible());
    QTest::mouseClick(dialog.cbFTP, Qt::LeftButton);
    EXPECT_FALSE(dialog.Panel2->isVisible());

    QTest::mouseClick(dialog.kopiraj2, Qt::LeftButton);
    EXPECT_TRUE(dialog.datum2->isVisible());
    EXPECT_TRUE(dialog.cb_AskDate->isVisible());
    QTest::mouseClick(dialog.kopiraj1, Qt::LeftButton);
    EXPECT_FALSE(dialog.datum2->isVisible());
    EXPECT_FALSE(dialog.cb_AskDate->isVisible());
    EXPECT_FALSE(dialog.kopiraj2->isChecked());
}

TEST(TfSetup, IdTakesOneCapital) {
    TfSetup dialog{TUserSettings{}};
    ASSERT_TRUE(test::ShowActive(dialog));
    QTest::mouseClick(dialog.cbFTP, Qt::LeftButton);
    dialog.ID->setFocus();
    QTest::keyClicks(dialog.ID, "ab");
    EXPECT_EQ(dialog.ID->text(), "A");
    dialog.ID->clear();
    QKeyEvent cCaron(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("č"));
    QApplication::sendEvent(dialog.ID, &cCaron);
    EXPECT_EQ(dialog.ID->text(), QString::fromUtf8("Č"));
    TUserSettings taken;
    dialog.takeInto(taken);
    EXPECT_EQ(taken.ID, "Č");
}

// The one-character limit is for typing: a longer stored ID is shown and kept as stored.
TEST(TfSetup, AStoredLongerIdIsShownAndKept) {
    TUserSettings settings = FullSettings();
    settings.ID = "12";
    TfSetup dialog{settings};
    ASSERT_TRUE(test::ShowActive(dialog));
    EXPECT_EQ(dialog.ID->text(), "12");
    TUserSettings taken;
    dialog.takeInto(taken);
    EXPECT_EQ(taken.ID, "12");

    dialog.ID->setFocus();
    dialog.ID->end(false);
    QTest::keyClick(dialog.ID, Qt::Key_A); // no room to type more
    EXPECT_EQ(dialog.ID->text(), "12");
    QTest::keyClick(dialog.ID, Qt::Key_Backspace);
    QTest::keyClick(dialog.ID, Qt::Key_Backspace);
    QTest::keyClicks(dialog.ID, "xy");
    EXPECT_EQ(dialog.ID->text(), "X");
}

TEST(TfSetup, ConfirmedUnchangedGivesBackEveryValue) {
    const TUserSettings original = FullSettings();
    TUserSettings settings = original;
    test::WhenModalShown<TfSetup>([](TfSetup& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Nastavitve za uporabnika FIRMA");
        dialog.Button1->click();
    });
    EXPECT_TRUE(TfSetup::edit(nullptr, settings, TfSetup::captionFor("FIRMA")));
    EXPECT_EQ(settings, original);
}

TEST(TfSetup, ConfirmTakesTheControls) {
    TUserSettings settings = FullSettings();
    test::WhenModalShown<TfSetup>([](TfSetup& dialog) {
        dialog.DirectoryEdit1->setText("  /tmp/drugam ");
        dialog.Edit1->setText("");
        dialog.CheckBox2->click(); // Mail off
        dialog.CheckBox3->click(); // Message on
        dialog.kopiraj1->click();
        dialog.cbFTP->click(); // FTP off; its fields are still taken
        dialog.servis->setText("");
        dialog.cb_AskDate->click(); // hidden now, still taken
        dialog.cb_ra->click();
        dialog.cb_st->click();
        dialog.cb_or->click();
        dialog.Button1->click();
    });
    ASSERT_TRUE(TfSetup::edit(nullptr, settings, "x"));
    TUserSettings expected = FullSettings();
    expected.Dest = "  /tmp/drugam ";
    expected.Email = "";
    expected.Mail = false;
    expected.Message = true;
    expected.Kopiraj1 = true;
    expected.Kopiraj2 = false;
    expected.FTP = false;
    expected.Servis = "";
    expected.AskDate = false;
    expected.Racn = false;
    expected.Stro = true;
    expected.Orge = true;
    EXPECT_EQ(settings, expected);
}

TEST(TfSetup, TypedDateIsTaken) {
    TUserSettings settings = FullSettings();
    test::WhenModalShown<TfSetup>([](TfSetup& dialog) {
        dialog.datum2->setFocus();
        dialog.datum2->selectAll();
        QTest::keyClicks(dialog.datum2, "1.2.25");
        QTest::keyClick(dialog.datum2, Qt::Key_Return); // the default button confirms
    });
    ASSERT_TRUE(TfSetup::edit(nullptr, settings, "x"));
    EXPECT_EQ(settings.Datumod, Day(2025, 2, 1));
}

// A tap on "V redu" (press and release back to back) while the date holds an invalid entry
// never closes the dialog: the field reports it, and the stored date is not written over.
TEST(TfSetup, AFastClickNeverClosesWithAnInvalidDate) {
    test::FieldHooks hooks;
    TUserSettings settings = FullSettings();
    bool stayedOpen = false;
    test::WhenModalShown<TfSetup>([&](TfSetup& dialog) {
        dialog.datum2->setFocus();
        dialog.datum2->selectAll();
        QTest::keyClicks(dialog.datum2, "31.02.2025");
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        QApplication::processEvents();
        stayedOpen = dialog.isVisible() && dialog.datum2->hasFocus();
        dialog.reject();
    });
    EXPECT_FALSE(TfSetup::edit(nullptr, settings, "x"));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(hooks.errors, std::vector<std::string>{"Invalid Date: \"31.02.2025\""});
    EXPECT_EQ(settings, FullSettings());
}

TEST(TfSetup, CancelOrCloseChangesNothing) {
    for (const bool close : {false, true}) {
        TUserSettings settings = FullSettings();
        test::WhenModalShown<TfSetup>([close](TfSetup& dialog) {
            dialog.cb_ra->click();
            dialog.DirectoryEdit1->setText("/drugje");
            if (close)
                dialog.close();
            else
                dialog.Button2->click();
        });
        EXPECT_FALSE(TfSetup::edit(nullptr, settings, "x"));
        EXPECT_EQ(settings, FullSettings());
    }
}

TEST(TfSetup, FolderPickerFillsTheOutputFolder) {
    const QTemporaryDir folder;
    TfSetup dialog{TUserSettings{}};
    ASSERT_TRUE(test::ShowActive(dialog));
    QString pickerTitle;
    test::WhenModalShown<QFileDialog>([&](QFileDialog& picker) {
        pickerTitle = picker.windowTitle();
        picker.setDirectory(folder.path());
        picker.selectFile(folder.path());
        QMetaObject::invokeMethod(&picker, "accept");
    });
    const QList<QAction*> actions = dialog.DirectoryEdit1->actions();
    ASSERT_EQ(actions.size(), 1);
    actions.front()->trigger();
    EXPECT_EQ(pickerTitle, "Izhodna mapa");
    EXPECT_EQ(dialog.DirectoryEdit1->text(), QDir::toNativeSeparators(folder.path()));
}

} // namespace
} // namespace qx
