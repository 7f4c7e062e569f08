#pragma once
// A single-line field for one calendar date: accepts digits and the date separator, understands
// short forms, shows an invalid text in the error colour, offers shortcut keys and refuses to be
// left with an invalid date.
#include "datefield/DateEditState.h"
#include "text/Dates.h"
#include "text/Error.h"

#include <QColor>
#include <QLineEdit>
#include <functional>

namespace qx {

class TaDateEdit : public QLineEdit {
    Q_OBJECT
public:
    using CheckDateHandler = std::function<bool(TaDateEdit& sender, DayCount date)>;
    using InvalidDateHandler = std::function<void(TaDateEdit& sender)>;
    // How errors raised inside the field's own event handling reach the operator.
    using ErrorReporter = std::function<void(QWidget* field, const Error& error)>;

    explicit TaDateEdit(QWidget* parent = nullptr);

    // The parsed date when the text is valid, else the committed date.
    DayCount date() const;
    // Commits a date; throws Error "Invalid Date: ..." when it is refused.
    void setDate(DayCount date);
    bool isValidDate() const;
    // Shows the committed date again (it does not empty the field).
    void clear();

    int epoch() const { return state_.epoch(); }
    void setEpoch(int epoch) {
        state_.setEpoch(epoch);
        recolour();
    }
    QString dateFormat() const;
    void setDateFormat(const QString& format);
    bool useOSDateFormat() const { return state_.useOSDateFormat(); }
    void setUseOSDateFormat(bool on);
    bool zeroDateIsValid() const { return state_.zeroDateIsValid(); }
    void setZeroDateIsValid(bool on);
    QColor colorTextOK() const { return colorOK_; }
    void setColorTextOK(const QColor& colour);
    QColor colorTextErr() const { return colorInvalid_; }
    void setColorTextErr(const QColor& colour);

    // For a dialog's accept path: a shown field whose entry may not be left refuses as leaving
    // it would (error box, focus back) and true is returned; the dialog then stays open.
    bool keepsDialogOpen();

    void setOnCheckDate(CheckDateHandler handler);
    void setOnInvalidDate(InvalidDateHandler handler) { onInvalidDate_ = std::move(handler); }

    // The application routes errors into its error box; the default shows a QMessageBox.
    static void setErrorReporter(ErrorReporter reporter);
    // The default beep; tests count beeps through it. An empty function restores QApplication::beep.
    static void setBeep(std::function<void()> beep);
    // The system's short date format used while UseOSDateFormat is on (QLocale::system()).
    static QString systemShortDateFormat();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showCommittedDate();
    void commitFromKey(DayCount date);
    void recolour();
    void setTextColour(const QColor& colour);
    void updateWidth();
    bool isActiveControl() const;
    void cutOffAfterCaret();
    void refuseInvalidExit();
    static void beep();
    static void report(QWidget* field, const Error& error);

    DateEditState state_;
    QColor colorOK_ = Qt::black;
    QColor colorInvalid_ = Qt::red;
    InvalidDateHandler onInvalidDate_;
    bool exitRefusalPending_ = false;
};

} // namespace qx
