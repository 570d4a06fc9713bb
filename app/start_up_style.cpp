#include "app/start_up_style.h"

#include "style/colour.h"

#include <QApplication>
#include <QFont>
#include <QPixmap>
#include <QStyleHints>

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

// The classes a desktop's platform theme may give a palette or font of their own, which the
// application-wide ones do not replace.
const char* const themedClasses[] = { "QAbstractButton", "QPushButton", "QToolButton", "QLabel",
    "QLineEdit", "QTextEdit", "QTextControl", "QAbstractItemView", "QMenu", "QMenuBar", "QMenuItem",
    "QMessageBox", "QMessageBoxLabel", "QTipLabel" };

constexpr qreal defaultPoints = 9;

} // namespace

void useOwnLook()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Styles that draw some parts by the colour scheme rather than the palette (Windows 11's).
    QGuiApplication::styleHints()->setColorScheme(Qt::ColorScheme::Light);
#endif
    const QPalette palette = style::ownPalette();
    QFont font = QApplication::font();
    font.setPointSizeF(defaultPoints);
    QApplication::setPalette(palette);
    QApplication::setFont(font);
    for (const char* name : themedClasses) {
        QApplication::setPalette(palette, name);
        QApplication::setFont(font, name);
    }
}

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
