#pragma once

#include <QProxyStyle>

namespace velbrin::app {

// The application style with two changes. Disabled text boxes draw their text in a grey dark
// enough to read (4.5:1 against their background) in whatever palette the desktop gives: the
// result boxes and the status line are disabled and still have to be read.
//
// And the arrow of the menu bar's overflow button, which only shows when the window is too
// narrow for its menus, is a small built-in picture. The standard one comes from the icon theme,
// and looking it up loads the icon-engine and image-format plugins while the window is being
// built, which alone costs more start-up time than the rest of the menu bar.
class StartUpStyle final : public QProxyStyle
{
public:
    void polish(QPalette& palette) override;
    using QProxyStyle::polish;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
        const QWidget* widget = nullptr) const override;
};

// The program's own look for every control that sets no colour or font of its own, whatever the
// desktop offers: the light palette of style::ownPalette(), and the desktop's user-interface font
// at the 9 points the windows are laid out for (GNOME's Cantarell 11 would clip the labels). The
// desktop's scale factor still applies to the whole window. Call before the first window is made.
void useOwnLook();

} // namespace velbrin::app
