#include "app/start_up_style.h"

#include "style/colour.h"

#include <QPixmap>

namespace velbrin::app {

namespace {

// A "»", 8 × 8.
const char* const overflowArrow[] = {
    "8 8 2 1",
    ". c None",
    "# c #000000",
    "........",
    "#..#....",
    ".#..#...",
    "..#..#..",
    "..#..#..",
    ".#..#...",
    "#..#....",
    "........",
};

} // namespace

void StartUpStyle::polish(QPalette& palette)
{
    QProxyStyle::polish(palette);
    style::makeDisabledTextReadable(palette);
}

QIcon StartUpStyle::standardIcon(
    StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const
{
    if (icon == SP_ToolBarHorizontalExtensionButton)
        return QIcon(QPixmap(overflowArrow));
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace velbrin::app
