#include "app/fonts.h"

#include <QFont>
#include <QStringList>

namespace velbrin::app {

void mapChineseFaces()
{
    const QStringList song
        = { QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN") };
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(
        QStringLiteral("隶书"), QStringList { QStringLiteral("AR PL UKai CN") } + song);
}

} // namespace velbrin::app
