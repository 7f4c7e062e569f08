#pragma once
// Modal message boxes that a test can answer in advance: a box is shown only when no
// answer is queued; every text that would have been shown is recorded either way.
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace qx {

class MessageBox {
public:
    static void information(QWidget* parent, const QString& title, const QString& text);
    static void critical(QWidget* parent, const QString& title, const QString& text);
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);

    // Tests: answer the next boxes without showing them (information and critical take any answer).
    static void queueAnswer(QMessageBox::StandardButton answer);
    static QStringList shownTexts();
    static void clearRecord();

private:
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons);
};

} // namespace qx
