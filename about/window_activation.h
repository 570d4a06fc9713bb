#pragma once

class QWidget;

namespace velbrin::about {

// Brings `window`, already shown, to the front with the keyboard focus, as the user asked for it
// with the input event being handled (a menu entry, a key, a button). On X11 and offscreen that
// is raise() and activateWindow(). A Wayland compositor activates a window only for an
// xdg-activation token asked for by the surface that has the keyboard focus, with the serial of an
// input event on it; Qt asks for one only when a window of its own has the focus (6.4) or on
// behalf of the window being shown (6.8), so on Wayland the program asks for the token itself.
// The activation may come a moment later: right after a menu closes, no window has the focus yet.
void bringToFront(QWidget& window);

} // namespace velbrin::about
