#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace velbrin::app {

void useChineseQtTexts()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(
            QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace velbrin::app
