#pragma once
// Shared by the widget tests: a shown, active window and hooks that record beeps and errors.
#include "app/qt/TaDateEdit.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace qx::test {

// Shows a window and waits until it is the active one, so focus moves as it does for a user.
inline bool ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// Counts the field's beeps and collects the errors it reports, instead of sounding and showing them.
class FieldHooks {
public:
    FieldHooks() {
        TaDateEdit::setBeep([this] { ++beeps; });
        TaDateEdit::setErrorReporter([this](QWidget*, const Error& error) { errors.push_back(error.what()); });
    }
    ~FieldHooks() {
        TaDateEdit::setBeep({});
        TaDateEdit::setErrorReporter({});
    }
    FieldHooks(const FieldHooks&) = delete;
    FieldHooks& operator=(const FieldHooks&) = delete;

    int beeps = 0;
    std::vector<std::string> errors;
};

} // namespace qx::test

namespace qx::test {

// Runs `act` on the modal dialog of type Dialog once its exec() loop is up.
template <class Dialog, class Action> void WhenModalShown(Action act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog of the expected type";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        act(*dialog);
    });
}

} // namespace qx::test
