#include "about/window_activation.h"

#include <QWidget>

namespace velbrin::about {

void bringToFront(QWidget& window)
{
    window.raise();
    window.activateWindow();
}

} // namespace velbrin::about
