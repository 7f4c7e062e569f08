#pragma once
// Qt's own texts (standard buttons, file dialogs) in Slovenian: Debian's qt_sl.qm, carried
// inside the program so that it does not depend on what the machine has installed.
class QCoreApplication;

namespace qx::widgets {

// Installs the translation on the application; false when it could not be loaded.
bool LoadQtTranslation(QCoreApplication& application);

} // namespace qx::widgets
