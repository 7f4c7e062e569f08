// Saves pictures of the main window, the settings dialog and the end-date dialog, for the
// documentation and for review. The main window is shown over the data root in VORTANE.
#include "app/qt/TForm1.h"
#include "app/qt/TfKoncniDatum.h"
#include "app/qt/TfSetup.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

namespace {

bool Save(QWidget& dialog, const QString& path) {
    dialog.show();
    QApplication::processEvents();
    const bool saved = dialog.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    dialog.hide();
    return saved;
}

qx::TUserSettings EveryGroupShown() {
    qx::TUserSettings settings;
    settings.Dest = "C:\\KERNO\\IZHOD";
    settings.Email = "racunovodja@example.com";
    settings.Mail = true;
    settings.FTP = true;
    settings.Servis = "A1B2C3";
    settings.ID = "1";
    settings.Kopiraj2 = true;
    settings.AskDate = true;
    settings.Datumod = qx::DayCountOf({2025, 1, 1});
    settings.Racn = settings.Stro = settings.Orge = settings.Ziro = true;
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(folder);
    bool saved = true;

    qx::TfSetup full(EveryGroupShown());
    full.setWindowTitle(qx::TfSetup::captionFor("PODJETJE"));
    saved &= Save(full, folder + "/TfSetup.png");

    qx::TUserSettings firstOpened;
    firstOpened.Dest = "C:\\KERNO\\IZHOD\\";
    qx::TfSetup clear(firstOpened);
    saved &= Save(clear, folder + "/TfSetup-first-opened.png");

    if (std::getenv("VORTANE")) {
        qx::Session session;
        qx::TForm1 window(session);
        qx::StartupOptions options;
        options.exeFolder = QDir::tempPath().toStdString() + "/qxshots/";
        saved &= window.startUp(options) && Save(window, folder + "/TForm1.png");
    }

    qx::TfKoncniDatum endDate;
    endDate.KoncniDatum->setDate(qx::DayCountOf({2025, 12, 31}));
    saved &= Save(endDate, folder + "/TfKoncniDatum.png");
    return saved ? 0 : 1;
}
