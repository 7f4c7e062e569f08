#include "app/MessageBox.h"

#include <QQueue>

namespace qx {

namespace {
QQueue<QMessageBox::StandardButton>& queuedAnswers() {
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}
QStringList& record() {
    static QStringList texts;
    return texts;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons) {
    record().append(text);
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().dequeue();
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::information(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

void MessageBox::critical(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Critical, title, text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
    return show(parent, icon, title, text, buttons);
}

void MessageBox::queueAnswer(QMessageBox::StandardButton answer) { queuedAnswers().enqueue(answer); }

QStringList MessageBox::shownTexts() { return record(); }

void MessageBox::clearRecord() {
    record().clear();
    queuedAnswers().clear();
}

} // namespace qx
