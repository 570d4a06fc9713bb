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

// The contrast of two colours as WCAG defines it, from 1 (the same luminance) to 21 (black and
// white): (255, 255, 255) on (0, 0, 0) -> 21; (190, 190, 190) on (239, 239, 239) -> 1.6.
double contrastRatio(const QColor& a, const QColor& b);

// The least contrast text must have against its background to count as readable.
inline constexpr double readableContrast = 4.5;

// The contrast disabled text is given. The thin strokes of small characters are antialiased and
// come out paler than their colour; with 7:1 for the colour they still reach 4.5:1 on the screen.
inline constexpr double disabledTextContrast = 7.0;

// `text` moved towards black (or towards white on a dark background) just far enough to reach
// `minimum` against `background`; unchanged when it reaches it already. A disabled grey stays
// grey, only darker: (190, 190, 190) on (239, 239, 239) -> about (110, 110, 110).
QColor readableOn(const QColor& text, const QColor& background, double minimum = readableContrast);

// Makes the disabled text of text boxes readable in `palette`: disabled Text against disabled
// Base, at disabledTextContrast. The boxes stay disabled and grey, but not so pale that their text cannot be read.
void makeDisabledTextReadable(QPalette& palette);

// The program's own colours for every control that sets none of its own: a light palette, the
// same on every desktop, so that a desktop's dark scheme never meets the program's orange. Window
// and buttons (239, 239, 239), boxes white, text black; disabled text grey but readable on its
// box (makeDisabledTextReadable). Every role of every group is set.
QPalette ownPalette();

// Gives `widget` the background `background` and, if given, the text colour `text`. A control
// whose background is its window role (a label) fills it; others (a text box's base) paint it.
// A new base keeps the box's disabled text readable on it.
void setColours(QWidget& widget, ColourValue background, std::optional<ColourValue> text = {},
    QPalette::ColorRole backgroundRole = QPalette::Window);

} // namespace velbrin::style
