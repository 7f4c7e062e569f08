#include "app/qt/TForm1.h"

#include "app/qt/MessageBox.h"
#include "app/qt/TfKoncniDatum.h"
#include "app/qt/TfSetup.h"
#include "app/qt/UpdateOffer.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "run/Choice.h"
#include "run/ErrorGuard.h"
#include "run/ExportRun.h"
#include "run/Startup.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>

#include <utility>

namespace qx {

namespace {
const char* const kCaption = "Priprava podatkov za prenos";

QString q(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}
std::string s(const QString& text) {
    return text.toUtf8().toStdString();
}
} // namespace

TForm1::TForm1(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(311, 281);
    buildControls();
}

void TForm1::buildControls() {
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(8, 8, 217, 222);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(ListBox1->geometry());
    Memo1->setReadOnly(true);
    Memo1->hide();

    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(8, 236, 217, 22);

    const char* captions[] = {"Začni", "Izhod", "Nastavitve", "Pomoč"};
    QPushButton** buttons[] = {&Button1, &Button3, &Button2, &Button4};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        (*buttons[i])->setGeometry(232, 8 + i * 31, 72, 25);
        (*buttons[i])->setAutoDefault(true); // Return presses the focused button, as on Windows
    }

    ProgressBar1 = new QProgressBar(this);
    ProgressBar2 = new QProgressBar(this);
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setOrientation(Qt::Vertical);
        bar->setRange(0, 100);
        bar->setTextVisible(false);
        bar->hide();
    }
    ProgressBar1->setGeometry(244, 134, 20, 96);
    ProgressBar2->setGeometry(272, 134, 20, 96);

    auto* credit = new QLabel(QString::fromUtf8("qx · priprava podatkov za računovodski servis"), this);
    auto* web = new QLabel(QStringLiteral("WWW: <a href=\"https://www.example.com/\">www.example.com</a>"), this);
    auto* mail = new QLabel(QStringLiteral("E-mail: <a href=\"mailto:info@example.com\">info@example.com</a>"), this);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    for (QLabel* label : {credit, web, mail}) {
        label->setFont(small);
        label->setOpenExternalLinks(true);
        label->adjustSize(); // as wide as the text in whatever font the system gives
    }
    credit->move(8, 256);
    web->move(8, 268);
    mail->move(web->geometry().right() + 8, 268);
    Label4 = new QLabel(this);
    Label4->setGeometry(240, 255, 64, 14);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setFont(small);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(ComboBox1, &QComboBox::currentTextChanged, this, &TForm1::ComboBox1Change);
    // The click of the list is any change of the chosen entry, by mouse, arrow keys, a typed
    // letter or a drag, as the Windows list reports it; a click on the chosen entry saves again.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        selectionChangedSinceClick_ = true;
        ListBox1Click();
    });
    connect(ListBox1, &QListWidget::itemClicked, this, [this] {
        if (!std::exchange(selectionChangedSinceClick_, false))
            ListBox1Click();
    });
}

bool TForm1::startUp(StartupOptions options) {
    options.updateOffer = [this] { update::OfferUpdate(this); };
    const StartupResult view = RunStartupSequence(session_, options);
    if (view.outcome == StartupOutcome::RootListMissing) {
        showMessage(view.message);
        return false;
    }
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->clear();
    for (const std::string& root : session_.selection.rootBoxEntries)
        ComboBox1->addItem(q(root));
    ComboBox1->setCurrentIndex(view.selectedRoot);
    ComboBox1->setEditText(q(view.rootBoxText));
    Label4->setText(q(view.versionLabel));
    showUserList(view.selectedUser);
    return true;
}

void TForm1::showUserList(int selectedRow) {
    const QSignalBlocker blocker(ListBox1); // the program's own selection is no choice of the operator
    ListBox1->clear();
    for (const std::string& user : session_.selection.userList)
        ListBox1->addItem(q(user));
    ListBox1->setCurrentRow(selectedRow, QItemSelectionModel::ClearAndSelect);
    if (selectedRow < 0)
        ListBox1->clearSelection();
}

void TForm1::Button1Click() {
    RunGuarded(*this, [&] { qx::StartTransfer(session_, *this); });
}

void TForm1::Button2Click() {
    RunGuarded(*this, [&] { qx::EditUserSettings(session_, *this); });
}

void TForm1::Button3Click() {
    QApplication::quit();
}

void TForm1::Button4Click() {
    platform::OpenHelpFile(platform::ExecutableFolder() + "qx.chm");
}

void TForm1::ComboBox1Change() {
    const int index = ComboBox1->currentIndex();
    const bool typedOther = index < 0 || ComboBox1->currentText() != ComboBox1->itemText(index);
    RunGuarded(*this, [&] {
        qx::SelectRoot(session_, typedOther ? std::string() : s(ComboBox1->itemText(index)));
        showUserList(-1);
    });
}

void TForm1::ListBox1Click() {
    RunGuarded(*this, [&] { qx::SelectUser(session_, selectedUser()); });
}

// --- the operator interface of a run started from this window

void TForm1::clearLog() {
    Memo1->clear();
}

void TForm1::setLogVisible(bool visible) {
    Memo1->setVisible(visible);
    ListBox1->setVisible(!visible);
}

void TForm1::appendLine(const std::string& line) {
    Memo1->appendPlainText(q(line));
}

void TForm1::appendToLastLine(const std::string& text) {
    QTextCursor cursor = Memo1->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(q(text));
    Memo1->setTextCursor(cursor);
}

void TForm1::showMessage(const std::string& text) {
    widgets::MessageBox::inform(this, kCaption, text);
}

void TForm1::showError(const std::string& text) {
    widgets::MessageBox::error(this, kCaption, text);
}

std::optional<DayCount> TForm1::askEndDate(DayCount initial) {
    return TfKoncniDatum::ask(this, initial);
}

bool TForm1::editSettings(TUserSettings& settings, const std::string& caption) {
    return TfSetup::edit(this, settings, q(caption));
}

QProgressBar* TForm1::barOf(ProgressBar bar) const {
    return bar == ProgressBar::File ? ProgressBar1 : ProgressBar2;
}

void TForm1::setBarMaximum(ProgressBar bar, std::int64_t maximum) {
    // The bar takes the low 32 bits, as the bar's range is a 32-bit value.
    barOf(bar)->setMaximum(static_cast<int>(static_cast<std::uint32_t>(maximum)));
}

void TForm1::setBarValue(ProgressBar bar, std::int64_t value) {
    barOf(bar)->setValue(static_cast<int>(static_cast<std::uint32_t>(value)));
}

void TForm1::setBarVisible(ProgressBar bar, bool visible) {
    barOf(bar)->setVisible(visible);
}

void TForm1::processMessages() {
    QApplication::processEvents();
}

std::string TForm1::rootBoxText() {
    return s(ComboBox1->currentText());
}

std::optional<std::string> TForm1::selectedUser() {
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return s(selected.first()->text());
}

} // namespace qx
