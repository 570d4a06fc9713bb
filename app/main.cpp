#include "app/fonts.h"
#include "app/main_window.h"
#include "app/start_up_style.h"
#include "app/translations.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velbrin"));
    QApplication::setApplicationVersion(QStringLiteral(VELBRIN_VERSION));
    // Wayland has no window class: docks match the window to its launcher entry by this name.
    QApplication::setDesktopFileName(QStringLiteral(VELBRIN_APP_ID));
    QApplication::setStyle(new velbrin::app::StartUpStyle);
    velbrin::app::useOwnLook();
    velbrin::app::mapChineseFaces();
    velbrin::app::useChineseQtTexts();

    // Closing the main window deletes it; "退出" leaves the event loop with it still open.
    QPointer<velbrin::app::MainWindow> window = new velbrin::app::MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const int status = QApplication::exec();
    delete window;
    return status;
}
