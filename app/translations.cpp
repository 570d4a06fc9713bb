#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace velbrin::app {

void useChineseQtTexts()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Qt's installed translations first; the Windows build, which has none to find, carries the
    // translation in its resources.
    for (const QString& folder :
        { QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/translations") }) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

} // namespace velbrin::app
