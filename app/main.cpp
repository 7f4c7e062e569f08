// Program entry: the fixed formats, the main window and its start-up, the message loop.
#include "app/Session.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QLocale>
#include <QScreen>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Dates are "dd.mm.yyyy", decimals "," and thousands "." whatever the system says.
    QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));

    qx::Session session;
    qx::TForm1 window(session);
    if (!window.startUp())
        return 0;
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    return application.exec();
}
