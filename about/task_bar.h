#pragma once

class QWidget;

namespace velbrin::about {

// Asks the window manager to give `window` no task-bar entry, beyond what its window type says.
// Call it before the window is first shown. Where the window system has no such request it does
// nothing (Windows and macOS go by the window type alone).
void keepOffTaskBar(QWidget& window);

} // namespace velbrin::about
