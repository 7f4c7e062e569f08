#include "app/qt/TaDateEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <utility>

namespace qx {
namespace {

// The inner margin QLineEdit keeps on each side of its text.
constexpr int kLineEditTextMargin = 2;

std::function<void()>& BeepHook() {
    static std::function<void()> hook;
    return hook;
}

TaDateEdit::ErrorReporter& ErrorReporterHook() {
    static TaDateEdit::ErrorReporter hook;
    return hook;
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

} // namespace

TaDateEdit::TaDateEdit(QWidget* parent) : QLineEdit(parent), state_(Utf8(systemShortDateFormat())) {
    connect(this, &QLineEdit::textChanged, this, [this] { recolour(); });
    showCommittedDate();
    updateWidth();
}

DayCount TaDateEdit::date() const {
    return state_.dateFor(Utf8(text()));
}

void TaDateEdit::setDate(DayCount date) {
    state_.commit(date);
    showCommittedDate();
}

bool TaDateEdit::isValidDate() const {
    return state_.parse(Utf8(text())).has_value();
}

void TaDateEdit::clear() {
    showCommittedDate();
}

QString TaDateEdit::dateFormat() const {
    return QString::fromStdString(state_.dateFormat());
}

void TaDateEdit::setDateFormat(const QString& format) {
    if (!state_.setDateFormat(Utf8(format)))
        return;
    showCommittedDate();
    updateWidth();
}

void TaDateEdit::setUseOSDateFormat(bool on) {
    if (!state_.setUseOSDateFormat(on, Utf8(systemShortDateFormat())))
        return;
    showCommittedDate();
    updateWidth();
}

void TaDateEdit::setZeroDateIsValid(bool on) {
    state_.setZeroDateIsValid(on);
    recolour();
}

void TaDateEdit::setColorTextOK(const QColor& colour) {
    colorOK_ = colour;
    recolour();
}

void TaDateEdit::setColorTextErr(const QColor& colour) {
    colorInvalid_ = colour;
    recolour();
}

void TaDateEdit::setOnCheckDate(CheckDateHandler handler) {
    if (handler)
        state_.setCheckDate([this, handler = std::move(handler)](DayCount date) { return handler(*this, date); });
    else
        state_.setCheckDate({});
    recolour();
}

void TaDateEdit::setErrorReporter(ErrorReporter reporter) {
    ErrorReporterHook() = std::move(reporter);
}

void TaDateEdit::setBeep(std::function<void()> beep) {
    BeepHook() = std::move(beep);
}

QString TaDateEdit::systemShortDateFormat() {
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

void TaDateEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const char32_t key = event->key() == Qt::Key_Escape ? 27 : typed.isEmpty() ? 0 : typed.at(0).unicode();
    const DateEditState::KeyOutcome outcome =
        state_.key(key, Utf8(text()), static_cast<std::size_t>(text().size()), hasSelectedText());
    using Effect = DateEditState::KeyEffect;
    if (outcome.effect == Effect::PassThrough || outcome.effect == Effect::Insert ||
        outcome.effect == Effect::CutThenInsert) {
        if (outcome.effect == Effect::CutThenInsert)
            cutOffAfterCaret();
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    switch (outcome.effect) {
    case Effect::ShowCommitted:
        showCommittedDate();
        break;
    case Effect::CommitDate:
        commitFromKey(outcome.date);
        break;
    case Effect::Empty:
        QLineEdit::clear();
        break;
    case Effect::Beep:
        beep();
        return;
    default:
        break;
    }
    selectAll();
}

// No error may escape into the event loop: a refused date goes to the operator as a message.
void TaDateEdit::commitFromKey(DayCount date) {
    try {
        setDate(date);
    } catch (const Error& error) {
        report(this, error);
    }
}

void TaDateEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Another window taking over (a message box, a menu) is no leaving of the field.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!state_.leave(Utf8(text()))) {
        showCommittedDate();
        return;
    }
    if (onInvalidDate_) {
        onInvalidDate_(*this);
        return;
    }
    // Taken back once the focus change has finished, so a pressed button loses its click too;
    // a dialog's accept path may have refused it before that.
    exitRefusalPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (std::exchange(exitRefusalPending_, false))
            refuseInvalidExit();
    });
}

bool TaDateEdit::keepsDialogOpen() {
    if (!isVisible() || !isEnabled() || state_.mayLeave(Utf8(text())))
        return false;
    exitRefusalPending_ = false;
    refuseInvalidExit();
    return true;
}

void TaDateEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateWidth();
}

void TaDateEdit::showCommittedDate() {
    setText(QString::fromStdString(state_.displayText(isActiveControl())));
    recolour();
}

void TaDateEdit::recolour() {
    setTextColour(isValidDate() ? colorOK_ : colorInvalid_);
}

void TaDateEdit::setTextColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Text, colour);
    colours.setColor(QPalette::Inactive, QPalette::Text, colour);
    setPalette(colours);
}

void TaDateEdit::updateWidth() {
    const QFontMetrics metrics(font());
    const QMargins text = textMargins();
    const QMargins contents = contentsMargins();
    const int inner = metrics.horizontalAdvance(QString::fromStdString(state_.blankMask()) + u'0') +
                      2 * kLineEditTextMargin + text.left() + text.right() + contents.left() + contents.right();
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QSize outer = style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, height()), this);
    setFixedWidth(outer.width());
}

bool TaDateEdit::isActiveControl() const {
    const QWidget* form = window();
    return form != nullptr && form->focusWidget() == this;
}

void TaDateEdit::cutOffAfterCaret() {
    const int caret = cursorPosition();
    if (caret >= text().size())
        return;
    setSelection(caret, text().size() - caret);
    del();
}

void TaDateEdit::refuseInvalidExit() {
    if (!isVisible() || !isEnabled() || isValidDate())
        return;
    setFocus(Qt::OtherFocusReason);
    setTextColour(colorOK_);
    report(this, Error(state_.leave(Utf8(text())).value_or("")));
}

void TaDateEdit::beep() {
    if (BeepHook())
        BeepHook()();
    else
        QApplication::beep();
}

void TaDateEdit::report(QWidget* field, const Error& error) {
    if (ErrorReporterHook()) {
        ErrorReporterHook()(field, error);
        return;
    }
    QMessageBox::critical(field->window(), QApplication::applicationDisplayName(),
                          QString::fromStdString(error.what()));
}

} // namespace qx
