#include "about/wayland_connection.h"

#include <QGuiApplication>

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
// Qt 6.4 has no public interface to its Wayland connection (QNativeInterface::QWaylandApplication
// comes with 6.5). Its platform plugin hands the connection out by name through the platform
// native interface, a QPA class whose header Debian ships in qt6-base-private-dev. This file is
// the only one that uses it, and only on Qt 6.4.
#include <qpa/qplatformnativeinterface.h>
#endif

namespace velbrin::about {

wl_display* qtWaylandDisplay()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    return wayland ? wayland->display() : nullptr;
#else
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
#endif
}

} // namespace velbrin::about
