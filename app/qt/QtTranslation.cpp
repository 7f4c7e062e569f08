#include "app/qt/QtTranslation.h"

#include <QCoreApplication>
#include <QTranslator>

// The resource lives in a static library: its registration is called by name.
static void RegisterTranslationResource() {
    Q_INIT_RESOURCE(qt_translations);
}

namespace qx::widgets {
namespace {

// Debian's qt_sl.qm still files the standard buttons' texts ("&Yes", "Cancel") under the
// button box, where Qt 6 asks the platform theme for them: the theme's texts are looked up there.
class SlovenianQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
        QString text = QTranslator::translate(context, source, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QPlatformTheme") == 0)
            text = QTranslator::translate("QDialogButtonBox", source, disambiguation, n);
        return text;
    }
};

} // namespace

bool LoadQtTranslation(QCoreApplication& application) {
    RegisterTranslationResource();
    auto* translator = new SlovenianQtTexts(&application);
    if (!translator->load(QStringLiteral(":/translations/qt_sl.qm"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace qx::widgets
