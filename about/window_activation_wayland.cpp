// xdg-activation spoken by the program itself, on Qt's connection to the compositor.
//
// The token must come from the surface that has the keyboard focus, with the serial of an input
// event on it. mutter grants one for the serial of the keyboard focus itself, of a key, or of a
// button press, but not of a button release (what a click on a button is handled on) or of the
// pointer entering; KWin grants one to the active window only; wlroots compositors want a seat.
// Qt's own request takes Qt's last input serial, and no surface at all when no window has the
// focus, as right after a menu closes. So the program keeps its own view of the keyboard: a
// wl_keyboard of its own, on an event queue of its own (Qt never dispatches it), tells which of
// the program's surfaces has the keyboard focus and the serial of that focus. The token goes to
// Qt as XDG_ACTIVATION_TOKEN, which Qt 6.4 and 6.8 both hand to the compositor with the window's
// own surface on the next activateWindow(), and then clear.

#include "about/window_activation.h"

#include "about/wayland_connection.h"

#include "xdg-activation-v1-client-protocol.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <wayland-client.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace velbrin::about {

namespace {

class KeyboardFocus
{
public:
    // The program's one view of the seat, made on first use; null off Wayland or when the
    // compositor has no xdg-activation.
    static KeyboardFocus* instance()
    {
        static const std::unique_ptr<KeyboardFocus> focus = [] {
            std::unique_ptr<KeyboardFocus> made;
            if (wl_display* display = qtWaylandDisplay()) {
                made.reset(new KeyboardFocus(display));
                if (!made->m_activation || !made->m_seat)
                    made.reset();
            }
            return made;
        }();
        return focus.get();
    }

    ~KeyboardFocus()
    {
        if (m_keyboard)
            wl_keyboard_destroy(m_keyboard);
        if (m_seat)
            wl_seat_destroy(m_seat);
        if (m_activation)
            xdg_activation_v1_destroy(m_activation);
        if (m_registry)
            wl_registry_destroy(m_registry);
        if (m_wrapper)
            wl_proxy_wrapper_destroy(m_wrapper);
        wl_event_queue_destroy(m_queue);
    }

    // A token for the surface that has the keyboard focus now, empty when none of the program's
    // surfaces has it.
    std::string token()
    {
        // Qt may have asked for an activation of its own a moment ago: when a menu closes, Qt 6.4
        // asks for one for the window under it. Its answer is dispatched here, so that Qt's
        // request goes out before this one and does not undo it. The second round trip brings
        // this view up to date with every event the compositor has sent so far.
        wl_display_roundtrip(m_display);
        wl_display_roundtrip_queue(m_display, m_queue);
        if (!m_focus)
            return {};
        xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(m_activation);
        std::string token;
        static const xdg_activation_token_v1_listener listener = {
            [](void* data, xdg_activation_token_v1*, const char* value) {
                *static_cast<std::string*>(data) = value;
            },
        };
        xdg_activation_token_v1_add_listener(request, &listener, &token);
        xdg_activation_token_v1_set_serial(request, m_focusSerial, m_seat);
        xdg_activation_token_v1_set_surface(request, m_focus);
        const QString appId = QGuiApplication::desktopFileName();
        if (!appId.isEmpty())
            xdg_activation_token_v1_set_app_id(request, appId.toUtf8().constData());
        xdg_activation_token_v1_commit(request);
        for (int i = 0; i < 3 && token.empty(); ++i) {
            if (wl_display_roundtrip_queue(m_display, m_queue) < 0)
                break;
        }
        xdg_activation_token_v1_destroy(request);
        wl_display_flush(m_display);
        return token;
    }

private:
    explicit KeyboardFocus(wl_display* display)
        : m_display(display)
        , m_queue(wl_display_create_queue(display))
    {
        m_wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(m_wrapper), m_queue);
        m_registry = wl_display_get_registry(m_wrapper);
        static const wl_registry_listener registryListener = {
            [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version) {
                auto* self = static_cast<KeyboardFocus*>(data);
                if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0
                    && !self->m_activation) {
                    self->m_activation = static_cast<xdg_activation_v1*>(
                        wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
                } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->m_seat) {
                    // Qt uses the first seat too.
                    self->m_seat = static_cast<wl_seat*>(wl_registry_bind(
                        registry, name, &wl_seat_interface, std::min<std::uint32_t>(version, 5)));
                    wl_seat_add_listener(self->m_seat, &seatListener, self);
                }
            },
            [](void*, wl_registry*, std::uint32_t) {},
        };
        wl_registry_add_listener(m_registry, &registryListener, this);
        // The globals, then the seat's capabilities, then the keyboard's focus.
        for (int i = 0; i < 3; ++i)
            wl_display_roundtrip_queue(m_display, m_queue);
    }

    static const wl_seat_listener seatListener;
    static const wl_keyboard_listener keyboardListener;

    wl_display* m_display;
    wl_event_queue* m_queue;
    wl_display* m_wrapper = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    xdg_activation_v1* m_activation = nullptr;
    // A surface of Qt's, used only right after a round trip while a window of Qt's has the
    // focus: by then the compositor has said where the focus went after any surface Qt destroyed
    // (a menu's), since it handles Qt's requests in order.
    wl_surface* m_focus = nullptr;
    std::uint32_t m_focusSerial = 0;
};

const wl_seat_listener KeyboardFocus::seatListener = {
    [](void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* self = static_cast<KeyboardFocus*>(data);
        const bool has = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
        if (has && !self->m_keyboard) {
            self->m_keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(self->m_keyboard, &keyboardListener, self);
        } else if (!has && self->m_keyboard) {
            wl_keyboard_destroy(self->m_keyboard);
            self->m_keyboard = nullptr;
            self->m_focus = nullptr;
        }
    },
    [](void*, wl_seat*, const char*) {},
};

const wl_keyboard_listener KeyboardFocus::keyboardListener = {
    [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
    [](void* data, wl_keyboard*, std::uint32_t serial, wl_surface* surface, wl_array*) {
        auto* self = static_cast<KeyboardFocus*>(data);
        self->m_focus = surface;
        self->m_focusSerial = serial;
    },
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        static_cast<KeyboardFocus*>(data)->m_focus = nullptr;
    },
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
        std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

bool focusOnOrdinaryWindow()
{
    const QWindow* focus = QGuiApplication::focusWindow();
    return focus && focus->type() != Qt::Popup;
}

void activate(QWidget& window)
{
    window.raise();
    KeyboardFocus* focus = KeyboardFocus::instance();
    const std::string token = focus ? focus->token() : std::string();
    if (!token.empty())
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    window.activateWindow();
    // Qt takes the token only for a window it has a shell surface for; no program the user starts
    // later should get it.
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace

void bringToFront(QWidget& window)
{
    if (!KeyboardFocus::instance()) {
        window.raise();
        window.activateWindow();
        return;
    }
    if (focusOnOrdinaryWindow()) {
        activate(window);
        return;
    }
    // A menu entry asked for it: the menu has just closed, and the keyboard focus comes back to
    // the window under it a moment later. The token is asked for then.
    QPointer<QWidget> target(&window);
    auto* wait = new QObject(&window);
    const auto done = [wait, target] {
        if (wait->property("done").toBool())
            return;
        wait->setProperty("done", true);
        wait->deleteLater();
        if (target)
            activate(*target);
    };
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, wait, [done] {
        if (focusOnOrdinaryWindow())
            done();
    });
    QTimer::singleShot(1000, wait, done);
}

} // namespace velbrin::about
