#pragma once

struct wl_display;

namespace velbrin::about {

// Qt's own connection to the Wayland compositor, or null when the program does not run on
// Wayland. Surfaces and input serials belong to one connection: whatever the program asks of the
// compositor about Qt's windows goes through this one.
wl_display* qtWaylandDisplay();

} // namespace velbrin::about
