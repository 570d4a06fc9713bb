#pragma once

// Window layouts are given in twips, 1/1440 inch. At 96 dots per inch a logical pixel is 15
// twips; Qt scales logical pixels for high-density screens by itself.

#include <QRect>

namespace velbrin::style {

constexpr int px(int twips)
{
    return twips / 15;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace velbrin::style
