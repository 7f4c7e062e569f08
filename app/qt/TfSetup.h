#pragma once
// The settings dialog: the output folder, which table groups to copy and from which date,
// and how the archive is delivered.
#include "app/qt/TaDateEdit.h"
#include "session/UserSettings.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qx {

class TfSetup : public QDialog {
    Q_OBJECT
public:
    // The controls are filled from `settings` as the dialog is made.
    explicit TfSetup(const TUserSettings& settings, QWidget* parent = nullptr);

    // Shows the dialog modally for `settings` under `caption`. On "V redu" the controls are taken
    // into `settings` and true is returned; on "Preklic" or closing, `settings` stays as it was.
    static bool edit(QWidget* parent, TUserSettings& settings, const QString& caption);
    // "Nastavitve za uporabnika " followed by the user directory as listed.
    static QString captionFor(const QString& userDir);

    // Takes the controls into `settings`; `DS` has no control and passes through.
    void takeInto(TUserSettings& settings) const;

    // "V redu" and Return: closes only when the date field may be left.
    void accept() override;

    QLineEdit* DirectoryEdit1 = nullptr;
    QRadioButton* kopiraj1 = nullptr;
    QRadioButton* kopiraj2 = nullptr;
    TaDateEdit* datum2 = nullptr;
    QCheckBox* cb_AskDate = nullptr;
    QCheckBox* cb_ra = nullptr;
    QCheckBox* cb_st = nullptr;
    QCheckBox* cb_pn = nullptr;
    QCheckBox* cb_do = nullptr;
    QCheckBox* cb_ma = nullptr;
    QCheckBox* cb_vs = nullptr;
    QCheckBox* cb_or = nullptr;
    QCheckBox* cb_ZR = nullptr;
    QCheckBox* cbFTP = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QFrame* Panel2 = nullptr;
    QLineEdit* servis = nullptr;
    QLineEdit* ID = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void FormCreate(const TUserSettings& settings);
    void pickOutputFolder();
    void cbFTPClick();
    void CheckBox2Click();
    void CheckBox3Click();
    void kopiraj1Click();
};

} // namespace qx
