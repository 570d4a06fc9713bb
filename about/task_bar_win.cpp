// Windows gives a task-bar button to every visible top-level window without an owner. A window
// whose owner is a window never shown gets none, and otherwise stays an ordinary window: normal
// title bar, listed by Alt+Tab, stacked and activated like any other (WS_EX_TOOLWINDOW, the other
// way, shrinks the title bar and leaves the window out of Alt+Tab).
//
// Qt sets the owner of a top-level window from its transient parent, and clears it on every show,
// right before ShowWindow, when there is none. A transient parent would make this window a
// secondary one that no longer keeps the program running, so the owner is set again while the
// window handles WM_SHOWWINDOW: that comes before the window is visible and the shell looks at it.

#include "about/task_bar.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#include <windows.h>

namespace velbrin::about {

namespace {

// One owner for the process, never shown and never destroyed: Windows destroys the windows it owns
// with it, behind Qt's back. The system takes it down with the process.
HWND hiddenOwner()
{
    static const HWND owner = CreateWindowExW(0, L"STATIC", L"velbrin", WS_POPUP, 0, 0, 0, 0,
        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return owner;
}

void setOwner(HWND window, HWND owner)
{
    if (GetWindow(window, GW_OWNER) != owner)
        SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

class OwnerOnShow final : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit OwnerOnShow(QWidget& window)
        : QObject(&window)
        , m_window(&window)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "windows_generic_MSG" || !m_window)
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        // The widget's native window can be made anew (a change of window flags does that), so
        // the handle is looked up each time rather than kept.
        if (msg->message == WM_SHOWWINDOW && msg->wParam
            && msg->hwnd == reinterpret_cast<HWND>(m_window->internalWinId())) {
            if (const HWND owner = hiddenOwner())
                setOwner(msg->hwnd, owner);
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

void keepOffTaskBar(QWidget& window)
{
    // Other platforms of the same build (offscreen) have no native windows to own.
    static const char* const watched = "_velbrin_owner_on_show";
    if (QGuiApplication::platformName() != QLatin1String("windows") || !window.isWindow()
        || window.property(watched).toBool())
        return;
    window.setProperty(watched, true);
    new OwnerOnShow(window);
    if (const HWND owner = hiddenOwner())
        setOwner(reinterpret_cast<HWND>(window.winId()), owner);
}

} // namespace velbrin::about
