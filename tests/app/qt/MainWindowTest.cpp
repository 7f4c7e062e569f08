// The main window on the offscreen platform, started on the generated sample installation.
#include "app/qt/MessageBox.h"
#include "app/qt/QtTranslation.h"
#include "app/qt/TForm1.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace qx::test {
namespace {

using widgets::MessageBox;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* sample = std::getenv("QX_TEST_SAMPLE");
        ASSERT_NE(sample, nullptr) << "ctest generates the sample (run.sample)";
        ASSERT_EQ(std::system(("cp -a " + std::string(sample) + " " + root()).c_str()), 0);
        setenv("VORTANE", root().c_str(), 1);
        // No service listens there: no update is offered and an upload fails at once.
        for (const char* name : {"QX_UPDATE_ROOT", "QX_HTTP_ROOT"})
            setenv(name, "http://127.0.0.1:9", 1);
        setenv("QX_HTTPS_ROOT", "https://127.0.0.1:9", 1);
        MessageBox::resetForTests();
        StartupOptions options;
        options.exeFolder = exeFolder();
        ASSERT_TRUE(window.startUp(options));
    }

    std::string root() const { return dir.path() + "kerno/"; }
    // The window keeps roots upper-cased, as KERNO's Windows installations name them.
    std::string listedRoot() const { return platform::UpperCase(root()); }
    std::string exeFolder() const { return dir.path() + "bin/"; }
    std::string qxIni() const { return ReadWholeFile(exeFolder() + "qx.ini"); }

    void clickUser(const QString& user) {
        const QList<QListWidgetItem*> found = window.ListBox1->findItems(user, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const QRect place = window.ListBox1->visualItemRect(found.first());
        QTest::mouseClick(window.ListBox1->viewport(), Qt::LeftButton, {}, place.center());
    }

    static QStringList shownTexts() {
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShownForTests())
            texts << QString::fromStdString(box.text);
        return texts;
    }

    static void answerBoxes(int count) {
        for (int i = 0; i < count; ++i)
            MessageBox::setNextAnswer(MessageBox::Answer::Ok);
    }

    TempDir dir;
    Session session;
    TForm1 window{session};
};

TEST_F(MainWindowTest, ShowsTheRootsTheUsersAndTheVersion) {
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Priprava podatkov za prenos"));
    EXPECT_EQ(window.size(), QSize(311, 281));
    EXPECT_EQ(window.Button1->text(), QString::fromUtf8("Začni"));
    EXPECT_EQ(window.Button3->text(), "Izhod");
    EXPECT_EQ(window.Button2->text(), "Nastavitve");
    EXPECT_EQ(window.Button4->text(), QString::fromUtf8("Pomoč"));
    EXPECT_EQ(window.Label4->text(), "V3.0.22");
    EXPECT_TRUE(window.Memo1->isHidden());
    EXPECT_TRUE(window.ProgressBar1->isHidden());
    EXPECT_TRUE(window.ProgressBar2->isHidden());
    EXPECT_EQ(window.ProgressBar1->orientation(), Qt::Vertical);
    EXPECT_EQ(window.ComboBox1->currentText().toStdString(), listedRoot());

    QStringList users;
    for (int i = 0; i < window.ListBox1->count(); ++i)
        users << window.ListBox1->item(i)->text();
    EXPECT_EQ(users, (QStringList{"DRUGA._G", "FIRMA.P", "KOVINAR23.P", "KOVINAR22.P", "SKUPNO    "}));
    // No saved choice yet: the first entry is selected.
    ASSERT_EQ(window.ListBox1->selectedItems().size(), 1);
    EXPECT_EQ(window.ListBox1->selectedItems().first()->text(), "DRUGA._G");
}

TEST_F(MainWindowTest, AClickOnAUserSavesTheRootThenTheUser) {
    clickUser("FIRMA.P");
    EXPECT_EQ(session.selection.userDir, "FIRMA.P");
    EXPECT_EQ(qxIni(), "[Setup]\r\nSkupno=" + listedRoot() + "\r\nUserdir=FIRMA.P\r\n");
}

// Every way of choosing a user in the list is the click: the choice and qx.ini follow the highlight.
TEST_F(MainWindowTest, ChoosingByKeyboardOrDragActsAsTheClick) {
    struct Case {
        const char* how;
        std::function<void(TForm1&)> choose;
        const char* chosen;
    };
    const auto rowCentre = [](TForm1& w, const char* user) {
        return w.ListBox1->visualItemRect(w.ListBox1->findItems(user, Qt::MatchExactly).first()).center();
    };
    const std::vector<Case> cases = {
        {"arrow down", [](TForm1& w) { QTest::keyClick(w.ListBox1, Qt::Key_Down); }, "FIRMA.P"},
        {"typed letter", [](TForm1& w) { QTest::keyClick(w.ListBox1, Qt::Key_K); }, "KOVINAR23.P"},
        {"press on one row, release on another",
         [&](TForm1& w) {
             QTest::mousePress(w.ListBox1->viewport(), Qt::LeftButton, {}, rowCentre(w, "FIRMA.P"));
             // The button stays held while the pointer moves (QTest::mouseMove would let it go).
             const QPoint to = rowCentre(w, "KOVINAR22.P");
             QMouseEvent move(QEvent::MouseMove, to, w.ListBox1->viewport()->mapToGlobal(to), Qt::NoButton,
                              Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(w.ListBox1->viewport(), &move);
             QTest::mouseRelease(w.ListBox1->viewport(), Qt::LeftButton, {}, rowCentre(w, "KOVINAR22.P"));
         },
         "KOVINAR22.P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Session fresh;
        TForm1 other(fresh);
        platform::DeleteFilePath(exeFolder() + "qx.ini");
        StartupOptions options;
        options.exeFolder = exeFolder();
        ASSERT_TRUE(other.startUp(options));
        // The selection the program makes itself at start-up writes nothing.
        EXPECT_FALSE(platform::PathExists(exeFolder() + "qx.ini"));
        other.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
        other.ListBox1->setFocus();
        c.choose(other);
        ASSERT_EQ(other.selectedUser(), std::optional<std::string>(c.chosen));
        EXPECT_EQ(fresh.selection.userDir, c.chosen);
        EXPECT_EQ(qxIni(), "[Setup]\r\nSkupno=" + listedRoot() + "\r\nUserdir=" + c.chosen + "\r\n");
    }
}

TEST_F(MainWindowTest, ReturnPressesTheFocusedButton) {
    window.ComboBox1->setEditText("/nowhere/"); // no user chosen: the start says so at once
    answerBoxes(3);
    window.Button1->setFocus();
    QTest::keyClick(window.Button1, Qt::Key_Return);
    EXPECT_EQ(shownTexts(), QStringList{"Izberite uporabnika na seznamu."});
}

// Qt's own texts the operator meets (standard buttons, the file dialog) come in Slovenian.
TEST(QtTranslation, QtsOwnTextsAreSlovenian) {
    ASSERT_TRUE(widgets::LoadQtTranslation(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, "x", "x", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const std::vector<std::pair<QMessageBox::StandardButton, const char*>> buttons = {
        {QMessageBox::Yes, "Da"}, {QMessageBox::No, "Ne"}, {QMessageBox::Cancel, "Prekliči"}};
    for (const auto& [button, slovenian] : buttons)
        EXPECT_EQ(box.button(button)->text().remove('&'), QString::fromUtf8(slovenian));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

TEST_F(MainWindowTest, StartCopiesTheTablesPacksAndReportsTheOutcome) {
    clickUser("FIRMA.P");
    answerBoxes(3); // more than the one expected, so that a surplus box shows in the record instead of waiting
    QTest::mouseClick(window.Button1, Qt::LeftButton);

    const std::string work = exeFolder() + "TEMP/";
    for (const char* table : {"popa.dbf", "pers.dbf", "racn.dbf", "ptxt.dbf", "knzr.dbf"})
        EXPECT_TRUE(platform::IsExistingFile(work + table)) << table;
    EXPECT_TRUE(platform::IsExistingFile(root() + "PRENOS/FIRMAP.ZIP"));
    const QString log = window.Memo1->toPlainText();
    EXPECT_TRUE(log.startsWith("Prepis podatkov v delovno mapo\n\nPOPA.DBF\nPERS.DBF\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("\n\nStiskanje podatkov\n\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("\n\nKontrola zapisa...\n")) << log.toStdString();
    // No descriptor could be fetched: the sound archive is not delivered.
    EXPECT_EQ(shownTexts(), QStringList{QString::fromUtf8("Prepis podatkov ni bil uspešen!")});
    // The dispatch ran, so the log and the bars are hidden again and the list is back.
    EXPECT_TRUE(window.Memo1->isHidden());
    EXPECT_TRUE(window.ProgressBar2->isHidden());
    EXPECT_FALSE(window.ListBox1->isHidden());
}

TEST_F(MainWindowTest, WithTheServiceUpAWholeTransferSucceeds) {
    const std::string state = dir.path() + "service/";
    ChildProcess service({QX_PYTHON, std::string(QX_SOURCE_DIR) + "/tools/service/run_service.py", "run", "--dir",
                          state, "--qxscramble", std::string(QX_BINARY_DIR) + "/bin/qxscramble"});
    // service.env: QX_HTTPS_ROOT=..., QX_HTTP_ROOT=..., QX_UPDATE_ROOT=..., one to a line.
    std::istringstream roots(ReadWholeFile(state + "service.env"));
    for (std::string line; std::getline(roots, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            setenv(line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(), 1);

    clickUser("FIRMA.P");
    answerBoxes(3);
    QTest::mouseClick(window.Button1, Qt::LeftButton);

    const QStringList shown = shownTexts();
    ASSERT_EQ(shown.size(), 2) << shown.join(" | ").toStdString();
    EXPECT_TRUE(shown[0].startsWith("Obvestilo o prepisu podatkov je bilo poslano")) << shown[0].toStdString();
    EXPECT_EQ(shown[1], QString::fromUtf8("Prepis podatkov je uspešno končan."));
    const std::vector<platform::DirEntry> uploads = platform::ListDirectory(state + "ftp/SERVIS_NOVAK", "*.zip");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(ReadWholeFile(state + "ftp/SERVIS_NOVAK/" + uploads[0].name),
              ReadWholeFile(root() + "PRENOS/FIRMAP.ZIP"));
    EXPECT_EQ(platform::ListDirectory(state + "mail", "*.eml").size(), 1u);
}

TEST_F(MainWindowTest, AnotherRootListsItsUsersWithNoneSelected) {
    clickUser("FIRMA.P");
    window.ComboBox1->setEditText("/nowhere/");
    answerBoxes(3);
    EXPECT_TRUE(window.ListBox1->selectedItems().isEmpty());
    EXPECT_EQ(window.ListBox1->item(window.ListBox1->count() - 1)->text(), "SKUPNO    ");
    EXPECT_EQ(session.selection.userDir, "FIRMA.P");
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    EXPECT_EQ(shownTexts(), QStringList{"Izberite uporabnika na seznamu."});
}

} // namespace
} // namespace qx::test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
