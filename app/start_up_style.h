#pragma once

#include <QProxyStyle>

namespace velbrin::app {

// The application style with one change: the arrow of the menu bar's overflow button, which
// only shows when the window is too narrow for its menus, is a small built-in picture. The
// standard one comes from the icon theme, and looking it up loads the icon-engine and
// image-format plugins while the window is being built, which alone costs more start-up time
// than the rest of the menu bar.
class StartUpStyle final : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
        const QWidget* widget = nullptr) const override;
};

} // namespace velbrin::app
