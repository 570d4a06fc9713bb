#include "style/colour.h"

#include <QGuiApplication>
#include <QWidget>

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

void setColours(QWidget& widget, ColourValue background, std::optional<ColourValue> text,
    QPalette::ColorRole backgroundRole)
{
    QPalette palette = widget.palette();
    palette.setColor(backgroundRole, toQColor(background));
    if (text)
        palette.setColor(QPalette::WindowText, toQColor(*text));
    widget.setPalette(palette);
    widget.setAutoFillBackground(backgroundRole == QPalette::Window);
}

} // namespace velbrin::style
