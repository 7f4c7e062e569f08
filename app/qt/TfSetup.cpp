#include "app/qt/TfSetup.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolTip>
#include <QValidator>

#include <algorithm>

namespace qx {
namespace {

const char* const kIdHint = "V primeru, da ISTEMU računovodskemu servisu pošiljamo podatke \r"
                            "od različnih uporabnikov v KERNIH, ki imajo ENAKO davčno številko,\r"
                            "v polje ID vnesemo enolično določeno identifikacijo uporabnika (n.pr. 1)";

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Typed letters become capitals (č too).
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QLabel* MakeLabel(const char* text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(Text(text), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QCheckBox* MakeCheckBox(const char* text, QWidget* parent, QRect geometry) {
    auto* box = new QCheckBox(Text(text), parent);
    box->setGeometry(geometry);
    return box;
}

QLineEdit* MakeLineEdit(QWidget* parent, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    return edit;
}

QFrame* MakePanel(QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(geometry);
    return panel;
}

} // namespace

TfSetup::TfSetup(const TUserSettings& settings, QWidget* parent) : QDialog(parent) {
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(433, 406);
    setSizeGripEnabled(false);
    createControls();
    FormCreate(settings);
}

void TfSetup::createControls() {
    MakeLabel("Izhodna mapa", this, 16, 10);
    DirectoryEdit1 = MakeLineEdit(this, {16, 28, 401, 23});
    QAction* browse =
        DirectoryEdit1->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setToolTip(Text("Izhodna mapa"));
    connect(browse, &QAction::triggered, this, &TfSetup::pickOutputFolder);

    kopiraj1 = new QRadioButton(Text("Kopiraj vse podatke"), this);
    kopiraj1->setGeometry(16, 64, 250, 19);
    kopiraj2 = new QRadioButton(Text("Kopiraj vse podatke, novejše od datuma "), this);
    kopiraj2->setGeometry(16, 88, 250, 19);
    datum2 = new TaDateEdit(this);
    datum2->setColorTextErr(Qt::red);
    datum2->setColorTextOK(Qt::black);
    datum2->setUseOSDateFormat(true);
    datum2->setZeroDateIsValid(true);
    datum2->move(272, 86);
    cb_AskDate = MakeCheckBox("Vprašaj za končni mejni datum ", this, {16, 112, 250, 19});

    MakeLabel("Prepis podatkov", this, 16, 144);
    cb_ra = MakeCheckBox("računi", this, {32, 162, 180, 19});
    cb_st = MakeCheckBox("stroški", this, {32, 182, 180, 19});
    cb_pn = MakeCheckBox("potni nalogi", this, {32, 202, 180, 19});
    cb_do = MakeCheckBox("dobavnice / predračuni", this, {32, 222, 180, 19});
    cb_ma = MakeCheckBox("materiali", this, {232, 202, 180, 19});
    cb_vs = MakeCheckBox("skupne nastavitve", this, {232, 222, 180, 19});
    cb_or = MakeCheckBox("stroškovna mesta", this, {232, 162, 180, 19});
    cb_ZR = MakeCheckBox("žiro računi", this, {232, 182, 180, 19});
    cb_ma->setVisible(false);
    cb_vs->setVisible(false);

    cbFTP = MakeCheckBox("pošlji na FTP strežnik", this, {16, 254, 170, 19});
    CheckBox3 = MakeCheckBox("pošlji obvestilo po elektronski pošti", this, {192, 254, 225, 19});
    Panel2 = MakePanel(this, {16, 276, 401, 30});
    MakeLabel("Koda za prenos", Panel2, 16, 7);
    servis = MakeLineEdit(Panel2, {112, 4, 160, 23});
    MakeLabel("ID", Panel2, 296, 7);
    ID = MakeLineEdit(Panel2, {316, 4, 28, 23});
    // Typing stops at one character, as the Windows edit's limit does; a longer stored ID is
    // shown whole and may only be shortened (the limit follows it down as it is edited).
    ID->setMaxLength(1);
    ID->setValidator(new UpperCaseValidator(ID));
    connect(ID, &QLineEdit::textEdited, this, [this] { ID->setMaxLength(std::max<int>(1, ID->text().size())); });
    ID->setToolTip(Text(kIdHint));
    ID->installEventFilter(this);

    CheckBox2 = MakeCheckBox("pošlji po elektronski pošti", this, {16, 314, 250, 19});
    Panel1 = MakePanel(this, {16, 336, 401, 30});
    MakeLabel("e-mail", Panel1, 16, 7);
    Edit1 = MakeLineEdit(Panel1, {112, 4, 281, 23});
    CheckBox1 = MakeCheckBox("uporabi outlook", Panel1, {296, 6, 100, 19});
    CheckBox1->setVisible(false);

    Button1 = new QPushButton(Text("V redu"), this);
    Button1->setGeometry(254, 372, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    Button2 = new QPushButton(Text("Preklic"), this);
    Button2->setGeometry(342, 372, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    // A change of state made by the program runs the handlers just as a click does.
    connect(cbFTP, &QCheckBox::toggled, this, &TfSetup::cbFTPClick);
    connect(CheckBox2, &QCheckBox::toggled, this, &TfSetup::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::toggled, this, &TfSetup::CheckBox3Click);
    connect(kopiraj1, &QRadioButton::toggled, this, &TfSetup::kopiraj1Click);
    connect(kopiraj2, &QRadioButton::toggled, this, &TfSetup::kopiraj1Click);
}

void TfSetup::accept() {
    if (!datum2->keepsDialogOpen())
        QDialog::accept();
}

void TfSetup::FormCreate(const TUserSettings& settings) {
    DirectoryEdit1->setText(QString::fromStdString(settings.Dest));
    Edit1->setText(QString::fromStdString(settings.Email));
    CheckBox2->setChecked(settings.Mail);
    CheckBox1->setChecked(settings.Outlook);
    CheckBox3->setChecked(settings.Message);
    Panel1->setVisible(settings.Mail || settings.Message);
    kopiraj1->setChecked(settings.Kopiraj1);
    kopiraj2->setChecked(settings.Kopiraj2);
    datum2->setDate(settings.Datumod);
    datum2->setVisible(kopiraj2->isChecked());
    cb_AskDate->setChecked(settings.AskDate);
    cb_ra->setChecked(settings.Racn);
    cb_st->setChecked(settings.Stro);
    cb_pn->setChecked(settings.Ptnl);
    cb_do->setChecked(settings.Doba);
    cb_ma->setChecked(settings.Mate);
    cb_vs->setChecked(settings.Vstr);
    cb_or->setChecked(settings.Orge);
    cb_ZR->setChecked(settings.Ziro);
    cbFTP->setChecked(settings.FTP);
    servis->setText(QString::fromStdString(settings.Servis));
    ID->setMaxLength(std::max<int>(1, static_cast<int>(QString::fromStdString(settings.ID).size())));
    ID->setText(QString::fromStdString(settings.ID));
    Panel2->setVisible(settings.FTP);
}

void TfSetup::takeInto(TUserSettings& settings) const {
    settings.Dest = DirectoryEdit1->text().toStdString();
    settings.Email = Edit1->text().toStdString();
    settings.Mail = CheckBox2->isChecked();
    settings.Message = CheckBox3->isChecked();
    settings.Outlook = CheckBox1->isChecked();
    settings.Kopiraj1 = kopiraj1->isChecked();
    settings.Kopiraj2 = kopiraj2->isChecked();
    settings.Datumod = datum2->date();
    settings.FTP = cbFTP->isChecked();
    settings.Servis = servis->text().toStdString();
    settings.ID = ID->text().toStdString();
    settings.AskDate = cb_AskDate->isChecked();
    settings.Racn = cb_ra->isChecked();
    settings.Stro = cb_st->isChecked();
    settings.Ptnl = cb_pn->isChecked();
    settings.Doba = cb_do->isChecked();
    settings.Mate = cb_ma->isChecked();
    settings.Vstr = cb_vs->isChecked();
    settings.Orge = cb_or->isChecked();
    settings.Ziro = cb_ZR->isChecked();
}

bool TfSetup::edit(QWidget* parent, TUserSettings& settings, const QString& caption) {
    TfSetup dialog(settings, parent);
    dialog.setWindowTitle(caption);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.takeInto(settings);
    return true;
}

QString TfSetup::captionFor(const QString& userDir) {
    return Text("Nastavitve za uporabnika ") + userDir;
}

bool TfSetup::eventFilter(QObject* watched, QEvent* event) {
    // The hint keeps its CR line breaks as stored; a tooltip breaks lines at LF.
    if (watched == ID && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QString shown = ID->toolTip();
        shown.replace(u'\r', u'\n');
        QToolTip::showText(help->globalPos(), shown, ID);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfSetup::pickOutputFolder() {
    QFileDialog picker(this, Text("Izhodna mapa"), QDir::rootPath());
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    if (picker.exec() == QDialog::Accepted && !picker.selectedFiles().isEmpty())
        DirectoryEdit1->setText(QDir::toNativeSeparators(picker.selectedFiles().constFirst()));
}

void TfSetup::cbFTPClick() {
    Panel2->setVisible(cbFTP->isChecked());
}

void TfSetup::CheckBox2Click() {
    Panel1->setVisible(CheckBox2->isChecked() || CheckBox3->isChecked());
}

// The address serves both ways of mailing: the data itself and the notice after an upload.
void TfSetup::CheckBox3Click() {
    CheckBox2Click();
}

void TfSetup::kopiraj1Click() {
    datum2->setVisible(kopiraj2->isChecked());
    cb_AskDate->setVisible(kopiraj2->isChecked());
}

} // namespace qx
