#pragma once

class QWidget;

namespace velbrin::about {

// Asks the window system to give `window` no task-bar entry, beyond what its window type says,
// while it stays an ordinary window that stacks and takes focus like any other. Call it before the
// window is first shown. Where the window system has no such request it does nothing.
void keepOffTaskBar(QWidget& window);

} // namespace velbrin::about
