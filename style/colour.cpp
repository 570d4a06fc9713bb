#include "style/colour.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace velbrin::style {

namespace {

constexpr ColourValue systemFlag = 0x80000000;

double relativeLuminance(const QColor& colour)
{
    const auto linear = [](float channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF())
        + 0.0722 * linear(rgb.blueF());
}

QColor mix(const QColor& from, const QColor& to, int step, int steps)
{
    const auto channel = [step, steps](int a, int b) { return a + (b - a) * step / steps; };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
        channel(from.blue(), to.blue()));
}

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

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& text, const QColor& background, double minimum)
{
    const QColor start = text.toRgb();
    if (contrastRatio(start, background) >= minimum)
        return start;
    // Towards whichever of black and white contrasts more with the background (black above a
    // luminance of about 0.18, white below).
    const QColor end = contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background)
        ? QColor(Qt::black)
        : QColor(Qt::white);
    constexpr int steps = 255;
    for (int step = 1; step < steps; ++step) {
        const QColor candidate = mix(start, end, step, steps);
        if (contrastRatio(candidate, background) >= minimum)
            return candidate;
    }
    return end;
}

void makeDisabledTextReadable(QPalette& palette)
{
    palette.setColor(QPalette::Disabled, QPalette::Text,
        readableOn(palette.color(QPalette::Disabled, QPalette::Text),
            palette.color(QPalette::Disabled, QPalette::Base), disabledTextContrast));
}

void setColours(QWidget& widget, ColourValue background, std::optional<ColourValue> text,
    QPalette::ColorRole backgroundRole)
{
    QPalette palette = widget.palette();
    palette.setColor(backgroundRole, toQColor(background));
    if (backgroundRole == QPalette::Base)
        makeDisabledTextReadable(palette);
    if (text)
        palette.setColor(QPalette::WindowText, toQColor(*text));
    widget.setPalette(palette);
    widget.setAutoFillBackground(backgroundRole == QPalette::Window);
}

} // namespace velbrin::style
