#include "style/colour.h"

#include <QGuiApplication>

namespace velbrin::style {

namespace {

constexpr ColourValue systemFlag = 0x80000000;

} // namespace

QColor toQColor(ColourValue value, const QPalette& palette)
{
    if (!(value & systemFlag))
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    switch (value) {
    case systemScrollBar:
        return QColor(200, 200, 200);
    case systemDesktop:
        return QColor(58, 110, 165);
    case systemWindowText:
        return palette.color(QPalette::WindowText);
    case systemButtonFace:
        return palette.color(QPalette::Button);
    default:
        return palette.color(QPalette::Window);
    }
}

QColor toQColor(ColourValue value)
{
    return toQColor(value, QGuiApplication::palette());
}

} // namespace velbrin::style
