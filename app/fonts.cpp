#include "app/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace velbrin::app {

void mapChineseFaces()
{
    const QStringList song
        = { QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN") };
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(
        QStringLiteral("隶书"), QStringList { QStringLiteral("AR PL UKai CN") } + song);
}

QFont chineseFont(const char* family, qreal points)
{
    const QString name = QString::fromUtf8(family);
    QFont font(name);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    const QStringList faces = QFont::substitutes(name) << name;
    if (std::any_of(faces.begin(), faces.end(), &QFontDatabase::hasFamily))
        font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace velbrin::app
