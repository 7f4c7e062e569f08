// Program entry: the fixed formats, the main window and its start-up, the message loop.
#include "app/qt/MessageBox.h"
#include "app/qt/QtTranslation.h"
#include "app/qt/TForm1.h"
#include "app/qt/TaDateEdit.h"
#include "session/Session.h"

#include <QApplication>
#include <QLocale>
#include <QScreen>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Dates are "dd.mm.yyyy", decimals "," and thousands "." whatever the system says.
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
    qx::widgets::LoadQtTranslation(application);

    // A date field left with an invalid entry reports it in the program's error box.
    qx::TaDateEdit::setErrorReporter([](QWidget* field, const qx::Error& error) {
        qx::widgets::MessageBox::error(field, "Priprava podatkov za prenos", error.what());
    });

    qx::Session session;
    qx::TForm1 window(session);
    if (!window.startUp())
        return 0;
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return application.exec();
}
