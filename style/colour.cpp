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

QPalette ownPalette()
{
    struct Role
    {
        QPalette::ColorRole role;
        QRgb normal; // active and inactive
        QRgb disabled;
    };
    static constexpr Role roles[] = {
        { QPalette::WindowText, 0x000000, 0xbebebe },
        { QPalette::Button, 0xefefef, 0xefefef },
        { QPalette::Light, 0xffffff, 0xffffff },
        { QPalette::Midlight, 0xcacaca, 0xcacaca },
        { QPalette::Dark, 0x9f9f9f, 0xbebebe },
        { QPalette::Mid, 0xb8b8b8, 0xb8b8b8 },
        { QPalette::Text, 0x000000, 0xbebebe },
        { QPalette::BrightText, 0xffffff, 0xffffff },
        { QPalette::ButtonText, 0x000000, 0xbebebe },
        { QPalette::Base, 0xffffff, 0xefefef },
        { QPalette::Window, 0xefefef, 0xefefef },
        { QPalette::Shadow, 0x767676, 0xb1b1b1 },
        { QPalette::HighlightedText, 0xffffff, 0xffffff },
        { QPalette::Link, 0x0000ff, 0x0000ff },
        { QPalette::LinkVisited, 0xff00ff, 0xff00ff },
        { QPalette::AlternateBase, 0xf7f7f7, 0xf7f7f7 },
        { QPalette::ToolTipBase, 0xffffdc, 0xffffdc },
        { QPalette::ToolTipText, 0x000000, 0x000000 },
    };
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, QRgb normal, QRgb disabled) {
        palette.setColor(QPalette::Active, role, QColor(normal));
        palette.setColor(QPalette::Inactive, role, QColor(normal));
        palette.setColor(QPalette::Disabled, role, QColor(disabled));
    };
    // The highlight, and the roles newer Qt versions add (the accent colour).
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        if (role != QPalette::NoRole)
            set(QPalette::ColorRole(role), 0x308cc6, 0x919191);
    for (const Role& entry : roles)
        set(entry.role, entry.normal, entry.disabled);
    // Half-transparent black, as Qt's own light palette has it.
    palette.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
    makeDisabledTextReadable(palette);
    return palette;
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
