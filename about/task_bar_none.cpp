#include "about/task_bar.h"

namespace velbrin::about {

void keepOffTaskBar(QWidget&)
{ }

} // namespace velbrin::about
