#pragma once

// Colour values as the windows are described with them: 0x00BBGGRR for a colour (red in the low
// byte), or 0x80000000 plus an index for a colour of the desktop's current scheme. One function
// turns either into a QColor, so every window paints them the same way.

#include <QColor>
#include <QPalette>

#include <cstdint>
#include <optional>

class QWidget;

namespace velbrin::style {

using ColourValue = std::uint32_t;

inline constexpr ColourValue orange = 0x000080FF; // red 255, green 128, blue 0

inline constexpr ColourValue systemScrollBar = 0x80000000;
inline constexpr ColourValue systemDesktop = 0x80000001;
inline constexpr ColourValue systemWindowText = 0x80000008;
inline constexpr ColourValue systemButtonFace = 0x8000000F;

// 0x000080FF -> (255, 128, 0). System colours follow `palette`: button face -> QPalette::Button,
// window text -> QPalette::WindowText. Qt has no scroll-bar or desktop role, so those two are
// fixed: scroll bar (200, 200, 200), the classic light grey of a scroll-bar track, and desktop
// (58, 110, 165), the classic desktop blue. Any other system index maps to QPalette::Window.
QColor toQColor(ColourValue value, const QPalette& palette);

// The same, with the application's current palette.
QColor toQColor(ColourValue value);

// Gives `widget` the background `background` and, if given, the text colour `text`. A control
// whose background is its window role (a label) fills it; others (a text box's base) paint it.
void setColours(QWidget& widget, ColourValue background, std::optional<ColourValue> text = {},
    QPalette::ColorRole backgroundRole = QPalette::Window);

} // namespace velbrin::style
