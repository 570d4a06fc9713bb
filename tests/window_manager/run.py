#!/usr/bin/env python3
"""velbrin as a user meets it: on a virtual X display under a real window manager (xfwm4 and
openbox, each that is installed), driven by real key presses and mouse clicks (xdotool).

Checks, under each window manager:
- the result boxes and the status line, disabled, show their text at 4.5:1 or more against their
  background as painted, and the status message is not cut by the window's bottom edge;
- the about window is an ordinary window: the main window comes above it when the user activates
  it, and after the "system information not available" box the focus is back in the about
  window, so Esc closes it and does not enter an empty value in the main window;
- a minimised style or about window comes back when its button or menu entry shows it again;
- Enter on a focused button of the style window presses it.
And once more with GNOME's dark style and its font, Cantarell 11, as Qt's gtk3 platform theme
passes them on (where it is installed): the labels and boxes still read at 4.5:1 or more.

With --wayland, the same program on headless Wayland compositors (sway, mutter and KWin 6, each
that is installed), driven by real input: sway through the virtual keyboard (wtype) and virtual
pointer protocols, mutter through its remote-desktop D-Bus interface, KWin drawn into Xvfb through
xdotool. Focus and stacking come from sway (get_tree); plain mutter and KWin say nothing of their
windows here, so there focus comes from velbrin's own Wayland traffic (WAYLAND_DEBUG=client: which
surface the keyboard entered). Checks:
- the about window and the style window, open behind the main window, come forward with the
  keyboard when shown again by the menu's keys, by a click on the menu, by a click on 换背景 and by
  Space on it (xdg-activation);
- a click on the about window while its message box is open leaves the keyboard in the box, and
  the box in front where the compositor raises activated windows (sway 1.8 and later);
- the about window and the message box say their size is fixed (minimum = maximum).

usage: run.py [--wayland] PATH_TO_VELBRIN
Exits 0 when all hold, 1 on a failure, 77 (skipped) when the tools are not installed.
"""

import glob
import json
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
TIMEOUT = 20  # seconds for any one thing to happen, generous for a loaded machine

MAIN = "jbk"  # part of the main window's caption
ABOUT = "^关于 velbrin$"
STYLE = "^Form2$"
MESSAGE = "^velbrin$"

# Places in the main window's client area, in pixels (left, top, width, height).
BOXES = {
    "Text3": (64, 208, 177, 18),
    "Text4": (64, 232, 177, 18),
    "u": (64, 256, 177, 18),
}
# The labels drawn in the program's text colour on the orange.
LABELS = {
    "Label1": (24, 72, 49, 17),
    "Label2": (104, 72, 25, 17),
    "Label4": (8, 208, 49, 17),
    "Label5": (8, 232, 49, 17),
    "Label6": (8, 256, 49, 17),
}
STATUS = (0, 288, 345, 26)  # reaches below the client area, which is 306 pixels high
CLIENT_HEIGHT = 306
LIST = (64, 160, 177, 41)  # the list `v`
Z_BUTTON = (88, 112)  # the middle of `换背景`
BACKGROUND_POINT = (300, 150)  # nothing but the main window's background here
DESKTOP_BLUE = (58, 110, 165)
ORANGE = (255, 128, 0)


class Failure(Exception):
    pass


def poll(condition, what, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def soon(condition, timeout=5):
    """Whether `condition` comes true within `timeout` seconds."""
    try:
        return bool(poll(condition, "", timeout))
    except Failure:
        return False


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4

    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


class Picture:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i : i + 3])

    def region(self, left, top, right, bottom):
        """The pixels of [left, right) × [top, bottom), clipped to the picture."""
        return [
            self.pixel(x, y)
            for y in range(max(top, 0), min(bottom, self.height))
            for x in range(max(left, 0), min(right, self.width))
        ]


def start_xvfb(processes, size):
    """Starts Xvfb on a display number of its own choosing, kept in processes; returns ":N"."""
    read, write = os.pipe()
    # -noreset: by default the server starts afresh whenever its last client leaves, and
    # a client connecting just then is turned away.
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "%dx%dx24" % size,
         "-nolisten", "tcp"],
        pass_fds=(write,),
        start_new_session=True,
        stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL,
    )
    processes.append(xvfb)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        raise Failure("Xvfb did not start")
    return ":" + number


class Desktop:
    """One X display with a window manager and velbrin on it."""

    def __init__(self, program, manager, work, gnome_dark=False):
        self.program, self.manager, self.work = program, manager, work
        self.gnome_dark = gnome_dark
        self.processes = []
        self.env = dict(os.environ)

    def __enter__(self):
        try:
            self.start_all()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_all(self):
        display = start_xvfb(self.processes, (800, 600))
        runtime = tempfile.mkdtemp(dir=self.work)
        no_tools = tempfile.mkdtemp(dir=self.work)  # no system-information tool to find
        self.env.update(
            DISPLAY=display,
            HOME=runtime,
            XDG_RUNTIME_DIR=runtime,
            XDG_CONFIG_HOME=runtime,
            LC_ALL="C.UTF-8",
        )
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if self.manager == "xfwm4":
            command = ["xfwm4", "--compositor=off", "--sm-client-disable"]
        else:
            command = ["openbox", "--sm-disable"]
        if shutil.which("dbus-run-session"):
            command = ["dbus-run-session", "--"] + command
        poll(lambda: self.run("xprop", "-root", "-len", "0", "WM_NAME", status=True) == 0,
             "the X server to take connections")
        manager = self.start(command, self.env)
        self.processes.append(manager)

        def managed():
            if manager.poll() is not None:
                raise Failure(f"{self.manager} ended with status {manager.returncode}")
            return "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")

        poll(managed, self.manager + " to manage the display")
        app_env = dict(self.env, QT_QPA_PLATFORM="xcb", PATH=no_tools, QT_ACCESSIBILITY="0")
        if self.gnome_dark:
            os.makedirs(os.path.join(runtime, "gtk-3.0"))
            with open(os.path.join(runtime, "gtk-3.0", "settings.ini"), "w") as settings:
                settings.write("[Settings]\ngtk-font-name=Cantarell 11\n"
                               "gtk-application-prefer-dark-theme=1\n")
            app_env.update(QT_QPA_PLATFORMTHEME="gtk3", XDG_CURRENT_DESKTOP="GNOME")
        self.processes.append(self.start([self.program], app_env))

    def __exit__(self, *exc):
        # Each process leads a group of its own: the window manager's session bus and the helpers
        # it starts (xfconfd, the accessibility bus) go with it.
        for process in reversed(self.processes):
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(process.pid, sig)
                except ProcessLookupError:
                    break
                try:
                    process.wait(5)
                    break
                except subprocess.TimeoutExpired:
                    continue
            # Helpers left in the group once its leader is gone.
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

    def start(self, command, env):
        log = open(os.path.join(self.work, os.path.basename(command[-1]) + ".log"), "ab")
        return subprocess.Popen(command, env=env, stdout=log, stderr=log, start_new_session=True)

    def run(self, *command, check=False, status=False):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True)
        if status:
            return result.returncode
        if check and result.returncode:
            raise Failure(" ".join(command) + ": " + result.stderr.strip())
        return result.stdout

    # Windows

    def find(self, name):
        ids = self.run("xdotool", "search", "--onlyvisible", "--name", name).split()
        return int(ids[0]) if len(ids) == 1 else None

    def wait_shown(self, name):
        return poll(lambda: self.find(name), "a window named " + name)

    def wait_gone(self, name):
        poll(lambda: not self.run("xdotool", "search", "--onlyvisible", "--name", name).split(),
             name + " to disappear")

    def active(self):
        out = self.run("xdotool", "getactivewindow").strip()
        return int(out) if out.isdigit() else None

    def wait_active(self, window, what):
        poll(lambda: self.active() == window, what + " to have the focus")

    def stacking(self):
        out = self.run("xprop", "-root", "_NET_CLIENT_LIST_STACKING")
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", out)]

    def above(self, upper, lower):
        order = self.stacking()
        return upper in order and lower in order and order.index(upper) > order.index(lower)

    def property(self, window, name):
        return self.run("xprop", "-id", str(window), name)

    def iconic(self, window):
        return "Iconic" in self.property(window, "WM_STATE")

    def normal(self, window):
        return "Normal" in self.property(window, "WM_STATE")

    # Input

    def keys(self, *keys):
        self.run("xdotool", "key", "--delay", "60", *keys, check=True)

    def click(self, window, x, y):
        self.run("xdotool", "mousemove", "--window", str(window), str(x), str(y), check=True)
        self.run("xdotool", "click", "1", check=True)

    def grab(self, window):
        path = os.path.join(self.work, "grab.png")
        self.run("import", "-window", str(window), path, check=True)
        size = self.run("identify", "-format", "%w %h", path, check=True).split()
        data = subprocess.run(
            ["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True
        ).stdout
        return Picture(int(size[0]), int(size[1]), data)


class Checks:
    """Failed checks of one step, reported together at its end."""

    def __init__(self):
        self.failed = []

    def __call__(self, condition, message):
        if not condition:
            print("  not so: " + message)
            self.failed.append(message)

    def done(self):
        if self.failed:
            raise Failure("; ".join(self.failed))


def client_origin(picture):
    """The main window's picture holds its menu bar above the client area."""
    return picture.height - CLIENT_HEIGHT


def readable_results(desk, main):
    """Points 1 and 2: a grab of the main window after an input error."""
    before = desk.grab(main)
    desk.keys("x", "Return")  # not a number: the status line reports the input error
    menu = client_origin(before)
    _, top, _, _ = STATUS
    status_rows = lambda picture: picture.region(0, menu + top, picture.width, picture.height)
    poll(lambda: status_rows(desk.grab(main)) != status_rows(before), "the input error")
    picture = desk.grab(main)
    check = Checks()
    check(client_origin(picture) == menu, "the main window changed its size")

    for name, (left, top, width, height) in LABELS.items():
        shown = picture.region(left, menu + top, left + width, menu + top + height)
        best = max(contrast(p, ORANGE) for p in shown)
        check(best >= 4.5, f"{name}: its text has a contrast of {best:.2f}:1 only")

    boxes = dict(BOXES, zt=STATUS)
    for name, (left, top, width, height) in boxes.items():
        # Inside the box's frame, down to the window's edge.
        inside = picture.region(left + 3, menu + top + 3, left + width - 3, menu + top + height - 3)
        background = max(set(inside), key=inside.count)
        ink = [p for p in inside if contrast(p, background) > 1.25]
        check(len(ink) > 20, f"{name}: no text to be seen")
        if not ink:
            continue
        best = max(contrast(p, background) for p in inside)
        print(f"  {name}: text at {best:.1f}:1 against {background}")
        check(best >= 4.5, f"{name}: its text has a contrast of {best:.2f}:1 only")
        if name == "zt":
            # The window's last row of pixels: a message cut by the edge would reach it.
            edge = picture.region(left + 3, picture.height - 1, picture.width, picture.height)
            cut = [p for p in edge if contrast(p, background) > 1.25]
            check(not cut, "zt: the status message is cut by the window's edge")
    check.done()


def about_window_and_focus(desk, main):
    """Point 3: an ordinary window, and the focus back in it after the message box."""
    list_before = desk.grab(main)
    menu = client_origin(list_before)

    def list_pixels():
        left, top, width, height = LIST
        return desk.grab(main).region(left, menu + top, left + width, menu + top + height)

    shown_list = list_pixels()
    desk.keys("alt")  # the menu bar, then 帮助, its menu, and 关于
    desk.keys("Right", "Down", "Return")
    about = desk.wait_shown(ABOUT)
    desk.wait_active(about, "the about window")
    check = Checks()
    check("not found" in desk.property(about, "WM_TRANSIENT_FOR"),
          "the about window is transient for another window")
    check("_NET_WM_STATE_SKIP_TASKBAR" in desk.property(about, "_NET_WM_STATE"),
          "the about window does not ask to stay off the task bar")

    # The user activates the main window with a click on it: it comes above the about window.
    desk.click(main, 20, menu + 295)
    desk.wait_active(main, "the main window")
    check(soon(lambda: desk.above(main, about)), "the about window stays above the main window")
    # 关于 again brings the about window to the front.
    desk.keys("alt")
    desk.keys("Right", "Down", "Return")
    desk.wait_active(about, "the about window shown again")
    poll(lambda: desk.above(about, main), "the about window to come to the front")

    # Alt+S: no system-information tool, so a message box; Enter closes it.
    desk.keys("alt+s")
    box = desk.wait_shown(MESSAGE)
    desk.wait_active(box, "the message box")
    desk.keys("Return")
    desk.wait_gone(MESSAGE)
    check(soon(lambda: desk.active() == about), "the focus is not back in the about window")
    time.sleep(0.5)  # a window manager that moves the focus late has done so by now
    check(desk.active() == about, "the focus left the about window again")
    # Esc closes the about window and leaves the main window's list alone.
    desk.keys("Escape")
    check(soon(lambda: not desk.find(ABOUT)), "Esc did not close the about window")
    check(list_pixels() == shown_list, "Esc after the message box changed the list")
    check.done()


def minimised_windows_come_back(desk, main):
    """Point 4, and Enter on a focused button of the style window (point 5)."""
    # After a failure above, the about window may still be open, over the main window.
    left_open = desk.find(ABOUT)
    if left_open:
        desk.run("xdotool", "windowactivate", "--sync", str(left_open))
        desk.keys("Escape")
        desk.wait_gone(ABOUT)
    menu = client_origin(desk.grab(main))
    desk.click(main, Z_BUTTON[0], menu + Z_BUTTON[1])
    style = desk.wait_shown(STYLE)
    desk.wait_active(style, "the style window")
    desk.run("xdotool", "windowminimize", str(style), check=True)
    poll(lambda: desk.iconic(style), "the style window to be minimised")
    desk.click(main, Z_BUTTON[0], menu + Z_BUTTON[1])
    poll(lambda: desk.normal(style), "the style window to come back")
    desk.wait_active(style, "the style window shown again")

    # The focus is on 传统风格; Tab to 普通风格 and press Enter: the desktop colour. The style
    # window goes to the side first, so the grab of the main window shows its background.
    desk.run("xdotool", "windowmove", str(style), "530", "20", check=True)
    x, y = BACKGROUND_POINT
    poll(lambda: desk.grab(main).pixel(x, menu + y) == ORANGE, "the orange main window")
    desk.keys("Tab", "Return")
    poll(lambda: desk.grab(main).pixel(x, menu + y) == DESKTOP_BLUE,
         "Enter on 普通风格 to paint the main window")

    desk.click(main, 20, menu + 295)
    desk.wait_active(main, "the main window")
    desk.keys("alt")
    desk.keys("Right", "Down", "Return")
    about = desk.wait_shown(ABOUT)
    desk.wait_active(about, "the about window")
    desk.run("xdotool", "windowminimize", str(about), check=True)
    poll(lambda: desk.iconic(about), "the about window to be minimised")
    desk.click(main, 20, menu + 295)
    desk.wait_active(main, "the main window")
    desk.keys("alt")
    desk.keys("Right", "Down", "Return")
    poll(lambda: desk.normal(about), "the about window to come back")
    desk.wait_active(about, "the about window shown again")



# Wayland: the same windows on headless compositors, with real input.

WAYLAND_SIZE = (1280, 1024)
KEYSYMS = {"Alt_L": 0xFFE9, "Right": 0xFF53, "Down": 0xFF54, "Return": 0xFF0D, "Escape": 0xFF1B,
           "space": 0x20, "s": 0x73, "Shift_L": 0xFFE1}
MENU_BAR_HELP = (60, 10)  # 帮助 in the menu bar, in the main window's content
MENU_ABOUT = (74, 31)  # 关于 in its menu, which opens at (44, 20), 22 pixels an entry
# libwayland 1.21: "[time]  -> wl_surface@3.commit()"; 1.23: "[time] {Default Queue}  -> wl_surface#3..."
TRACE = re.compile(r"^\[\s*[\d.]+\]\s+(?:\{[^}]*\}\s+)?(->\s+)?(\w+)[@#](\d+)\.(\w+)\((.*)\)$")


class Trace:
    """What velbrin's WAYLAND_DEBUG=client traffic says: each window's title, size limits and
    content area, which surface has the keyboard, and where the pointer is on which surface."""

    def __init__(self, path):
        self.path = path

    def read(self):
        state = dict(xdg={}, toplevel={}, title={}, limits={}, region={}, content={},
                     keyboard=None, pointer=None, requests=0)
        regions = state["region"]
        with open(self.path, errors="replace") as log:
            for line in log:
                match = TRACE.match(line.strip())
                if not match:
                    continue
                sent, interface, number, message, args = match.groups()
                ident = f"{interface}@{number}"
                ids = [i.replace("#", "@") for i in re.findall(r"(?:new id )?(\w+[@#]\d+)", args)]
                if sent and message == "get_xdg_surface":
                    state["xdg"][ids[0]] = ids[1]
                elif sent and message == "get_toplevel":
                    state["toplevel"][ids[0]] = state["xdg"].get(ident)
                elif sent and message == "set_title":
                    state["title"][state["toplevel"].get(ident)] = json_string(args)
                elif sent and message in ("set_min_size", "set_max_size"):
                    surface = state["toplevel"].get(ident)
                    state["limits"].setdefault(surface, {})[message[4:7]] = tuple(
                        int(v) for v in args.split(", "))
                elif sent and interface == "wl_region" and message == "add":
                    regions[ident] = tuple(int(v) for v in args.split(", "))
                elif sent and message == "set_opaque_region" and ids and ids[0] in regions:
                    state["content"][ident] = regions[ids[0]]
                elif sent and message == "activate":
                    state["requests"] += 1
                elif not sent and interface == "wl_keyboard" and message == "enter":
                    state["keyboard"] = ids[0] if ids else None
                elif not sent and interface == "wl_keyboard" and message == "leave":
                    state["keyboard"] = None
                elif not sent and interface == "wl_pointer" and message == "enter" and ids:
                    x, y = args.split(", ")[2:4]
                    state["pointer"] = (ids[0], float(x), float(y))
                elif not sent and interface == "wl_pointer" and message == "motion":
                    x, y = args.split(", ")[1:3]
                    if state["pointer"]:
                        state["pointer"] = (state["pointer"][0], float(x), float(y))
                elif not sent and interface == "wl_pointer" and message == "leave":
                    state["pointer"] = None
        return state

    def focus(self):
        state = self.read()
        return state["title"].get(state["keyboard"])

    def surface(self, title):
        state = self.read()
        found = [s for s, t in state["title"].items() if re.search(title, t or "")]
        return found[-1] if found else None


def json_string(args):
    text = args.strip()
    return text[1:-1] if text.startswith('"') else text


class WaylandPointer:
    """A virtual pointer (zwlr_virtual_pointer_v1), spoken on the wire: wlroots compositors."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buffer = b""
        self.send(1, 1, struct.pack("<I", 2))  # wl_display.get_registry: 2
        found = [g for g in self.roundtrip() if g[1] == "zwlr_virtual_pointer_manager_v1"]
        if not found:
            raise Failure("the compositor has no virtual pointer")
        name, interface, _ = found[0]
        data = interface.encode() + b"\0"
        self.send(2, 0, struct.pack("<II", name, len(data)) + data + b"\0" * (-len(data) % 4)
                  + struct.pack("<II", 1, 4))  # bind, version 1: 4
        self.send(4, 0, struct.pack("<II", 0, 5))  # create_virtual_pointer: 5
        self.roundtrip()

    def send(self, target, opcode, args=b""):
        self.sock.sendall(struct.pack("<II", target, (8 + len(args)) << 16 | opcode) + args)

    def roundtrip(self):
        self.send(1, 0, struct.pack("<I", 3))  # wl_display.sync: 3
        seen = []
        while True:
            while len(self.buffer) < 8 or len(self.buffer) < self.buffer[6] | self.buffer[7] << 8:
                data = self.sock.recv(4096)
                if not data:
                    raise Failure("the compositor closed the virtual pointer's connection")
                self.buffer += data
            target, word = struct.unpack_from("<II", self.buffer)
            body, self.buffer = self.buffer[8:word >> 16], self.buffer[word >> 16:]
            if target == 1 and word & 0xFFFF == 0:
                raise Failure("virtual pointer: protocol error")
            if target == 2:
                name, length = struct.unpack_from("<II", body)
                version = struct.unpack_from("<I", body, 8 + length + (-length % 4))[0]
                seen.append((name, body[8:7 + length].decode(), version))
            if target == 3:
                return seen

    def frame(self, opcode, *values):
        stamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
        self.send(5, opcode, struct.pack("<%dI" % (1 + len(values)), stamp, *values))
        self.send(5, 4)  # frame
        self.roundtrip()

    def move(self, x, y):
        self.frame(1, x, y, *WAYLAND_SIZE)

    def button(self, pressed):
        self.frame(2, 0x110, int(pressed))


class WaylandDesktop:
    """One headless compositor with velbrin on it, its traffic traced."""

    name = ""

    def __init__(self, program, work):
        self.program, self.work = program, work
        self.processes = []
        self.runtime = tempfile.mkdtemp(dir=work)
        self.log = os.path.join(work, "velbrin.log")
        self.trace = Trace(self.log)
        self.origins = {}

    def __enter__(self):
        try:
            self.start_compositor()
            no_tools = tempfile.mkdtemp(dir=self.work)
            env = dict(self.env, QT_QPA_PLATFORM="wayland", WAYLAND_DEBUG="client", PATH=no_tools,
                       QT_ACCESSIBILITY="0", LC_ALL="C.UTF-8")
            with open(self.log, "wb") as log:
                self.processes.append(subprocess.Popen(
                    [self.program], env=env, stdout=log, stderr=log, start_new_session=True))
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        Desktop.__exit__(self)
        if not self.runtime.startswith(self.work):
            shutil.rmtree(self.runtime, ignore_errors=True)

    def start(self, command, env, name):
        log = open(os.path.join(self.work, name + ".log"), "ab")
        return subprocess.Popen(command, env=env, stdout=log, stderr=log, start_new_session=True)

    def wait_socket(self, process, socket_name):
        path = os.path.join(self.runtime, socket_name)

        def up():
            if process.poll() is not None:
                raise Failure(f"{self.name} ended with status {process.returncode}")
            return os.path.exists(path)

        poll(up, self.name + " to start")

    def menu_keys(self):
        for key in ("Alt_L", "Right", "Down", "Return"):
            self.key(key)

    def click(self, title, x, y):
        """A click at (x, y) in the content of the window whose title matches."""
        left, top = self.content_origin(title)
        self.move(left + x, top + y)
        self.press(True)
        time.sleep(0.05)
        self.press(False)
        time.sleep(0.2)

    def focus(self):
        return self.trace.focus()

    def wait_focus(self, title, what):
        poll(lambda: re.search(title, self.focus() or ""), what + " to have the keyboard")

    def content_origin(self, title):
        """Where the compositor says nowhere where a window is (mutter, KWin): the pointer goes
        over the screen until it enters the window, whose surface then says where the pointer
        is on it."""
        surface = poll(lambda: self.trace.surface(title), "a window named " + title)
        if surface in self.origins:
            return self.origins[surface]
        content = self.trace.read()["content"].get(surface, (0, 0, 0, 0))
        for step in range(0, 1000, 40):
            for x, y in ((step, step), (step + 60, step), (step, step + 60)):
                self.move(x, y)
                pointer = self.trace.read()["pointer"]
                if pointer and pointer[0] == surface:
                    self.origins[surface] = (x - int(pointer[1]) + content[0],
                                             y - int(pointer[2]) + content[1])
                    return self.origins[surface]
        raise Failure("the pointer never reached " + title)

    def limits(self, title):
        state = self.trace.read()
        return state["limits"].get(self.trace.surface(title), {})


class Sway(WaylandDesktop):
    name = "sway"
    clicks_any_window = True

    def start_compositor(self):
        # sway refuses root: it runs as nobody, in a runtime folder of nobody's.
        if os.getuid() == 0:
            # Outside the test's folder, which nobody may not enter.
            self.runtime = tempfile.mkdtemp(prefix="velbrin-sway-")
            os.chown(self.runtime, 65534, 65534)
            prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        else:
            prefix = []
        config = os.path.join(self.runtime, "sway.conf")
        with open(config, "w") as text:
            text.write("xwayland disable\noutput HEADLESS-1 mode %dx%d\n" % WAYLAND_SIZE
                       + 'for_window [app_id=".*"] floating enable\n'
                       + "focus_on_window_activation focus\nfocus_follows_mouse no\n")
        os.chmod(config, 0o644)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime,
                        WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                        WLR_RENDERER="pixman", WAYLAND_DISPLAY="wayland-velbrin")
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SWAYSOCK"):
            self.env.pop(name, None)
        self.processes.append(self.start(prefix + ["env", "-u", "WAYLAND_DISPLAY", "sway", "-c", config],
                                         self.env, "sway"))
        # sway names its socket wayland-1 and up; the first one it makes is ours.
        poll(lambda: [n for n in os.listdir(self.runtime) if re.match(r"wayland-\d+$", n)]
             or self.processes[0].poll() is not None, "sway to start")
        names = [n for n in os.listdir(self.runtime) if re.match(r"wayland-\d+$", n)]
        if not names:
            raise Failure("sway ended with status %s" % self.processes[0].returncode)
        self.env["WAYLAND_DISPLAY"] = names[0]
        poll(lambda: [n for n in os.listdir(self.runtime) if n.startswith("sway-ipc")], "sway's IPC")
        ipc = [n for n in os.listdir(self.runtime) if n.startswith("sway-ipc")][0]
        self.env["SWAYSOCK"] = os.path.join(self.runtime, ipc)
        # wtype's keyboard is the seat's only one while it lives: one stays for the whole run.
        self.processes.append(self.start(["wtype", "-s", "86400000"], self.env, "wtype"))
        self.pointer = WaylandPointer(os.path.join(self.runtime, names[0]))
        version = json.loads(self.swaymsg("get_version"))
        self.raises = (version["major"], version["minor"]) >= (1, 8)

    def swaymsg(self, kind):
        return subprocess.run(["swaymsg", "-t", kind, "-r"], env=self.env, capture_output=True,
                              text=True).stdout

    def windows(self):
        """(title, focused, rect of the content), bottom to top."""
        found = []

        def walk(node):
            if node.get("app_id") is not None:
                rect, inner = node["rect"], node["window_rect"]
                found.append((node.get("name") or "", node.get("focused"),
                              (rect["x"] + inner["x"], rect["y"] + inner["y"])))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(json.loads(self.swaymsg("get_tree") or "{}"))
        return found

    def focus(self):
        return next((title for title, focused, _ in self.windows() if focused), None)

    def above(self, upper, lower):
        titles = [title for title, _, _ in self.windows()]
        top = [i for i, t in enumerate(titles) if re.search(upper, t)]
        bottom = [i for i, t in enumerate(titles) if re.search(lower, t)]
        return top and bottom and top[-1] > bottom[-1]

    def content_origin(self, title):
        return poll(lambda: next((origin for t, _, origin in self.windows()
                                  if re.search(title, t)), None), "a window named " + title)

    def key(self, name, modifier=None):
        modifier = {"Alt_L": "alt"}.get(modifier, modifier)
        command = ["wtype"] + (["-M", modifier] if modifier else []) + ["-k", name]
        command += ["-m", modifier] if modifier else []
        subprocess.run(command, env=self.env, check=True, capture_output=True)
        time.sleep(0.25)

    def move(self, x, y):
        self.pointer.move(x, y)

    def press(self, pressed):
        self.pointer.button(pressed)


class Mutter(WaylandDesktop):
    name = "mutter"
    raises = False  # plain mutter has no window list to ask
    # Only the main window is found by the pointer (mutter places it at the top left); the about
    # window would need a search of the whole screen.
    clicks_any_window = False

    def start_compositor(self):
        import dbus  # python3-dbus; checked before

        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime,
                        XDG_CONFIG_HOME=self.runtime, WAYLAND_DISPLAY="wayland-velbrin")
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        address = os.path.join(self.work, "bus")
        command = ["dbus-run-session", "--", "sh", "-c",
                   'echo "$DBUS_SESSION_BUS_ADDRESS" > "$0"; exec mutter --headless --wayland '
                   "--no-x11 --wayland-display=wayland-velbrin --virtual-monitor %dx%d "
                   "--sm-disable" % WAYLAND_SIZE, address]
        mutter = self.start(command, self.env, "mutter")
        self.processes.append(mutter)
        self.wait_socket(mutter, "wayland-velbrin")
        poll(lambda: os.path.exists(address) and open(address).read().strip(), "mutter's bus")
        bus = dbus.bus.BusConnection(open(address).read().strip())
        name = "org.gnome.Mutter.RemoteDesktop"

        def session():
            try:
                remote = bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop")
                return dbus.Interface(remote, name).CreateSession()
            except dbus.DBusException:
                return None

        path = poll(session, "mutter's remote desktop")
        self.session = dbus.Interface(bus.get_object(name, path), name + ".Session")
        self.session.Start()
        self.dbus = dbus
        self.key("Shift_L")  # the first key of a session is lost
        self.position = None

    def key(self, name, modifier=None):
        codes = [KEYSYMS[k] for k in ([modifier] if modifier else []) + [name]]
        for code in codes:
            self.session.NotifyKeyboardKeysym(self.dbus.UInt32(code), True)
            time.sleep(0.03)
        for code in reversed(codes):
            self.session.NotifyKeyboardKeysym(self.dbus.UInt32(code), False)
        time.sleep(0.25)

    def move(self, x, y):
        # Relative moves only (absolute ones need a screen-cast stream): to the corner first.
        if self.position is None:
            self.session.NotifyPointerMotionRelative(-10000.0, -10000.0)
            self.position = (0, 0)
        self.session.NotifyPointerMotionRelative(float(x - self.position[0]),
                                                 float(y - self.position[1]))
        self.position = (x, y)
        time.sleep(0.15)

    def press(self, pressed):
        self.session.NotifyPointerButton(0x110, pressed)

class KWin(WaylandDesktop):
    """KWin 6 drawn into an X display (Xvfb), which gives it its input (xdotool)."""

    name = "kwin"
    raises = False
    clicks_any_window = False

    def start_compositor(self):
        os.chmod(self.runtime, 0o700)
        display = start_xvfb(self.processes, WAYLAND_SIZE)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime,
                        XDG_CONFIG_HOME=self.runtime, DISPLAY=display,
                        XDG_CURRENT_DESKTOP="KDE", WAYLAND_DISPLAY="wayland-velbrin")
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        kwin = self.start(["dbus-run-session", "--", "kwin_wayland", "--x11-display",
                           display, "--width", str(WAYLAND_SIZE[0]), "--height",
                           str(WAYLAND_SIZE[1]), "--socket", "wayland-velbrin",
                           "--no-lockscreen"], self.env, "kwin")
        self.processes.append(kwin)
        self.wait_socket(kwin, "wayland-velbrin")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True)

    def key(self, name, modifier=None):
        self.xdotool("key", ("alt+" if modifier == "Alt_L" else "") + name)
        time.sleep(0.25)

    def move(self, x, y):
        self.xdotool("mousemove", str(x), str(y))
        time.sleep(0.15)

    def press(self, pressed):
        self.xdotool("mousedown" if pressed else "mouseup", "1")


def wayland_steps(desk):
    """On Wayland: windows shown again come forward, the message box stays with its window,
    fixed sizes are said; as steps that go on after a failure."""
    desk.wait_focus(MAIN, "the main window")
    content = desk.trace.read()["content"].get(desk.trace.surface(MAIN))
    menu = content[3] - CLIENT_HEIGHT if content else 20
    focused = lambda title: soon(lambda: re.search(title, desk.focus() or ""))

    def back_to_main():
        desk.click(MAIN, 20, menu + 295)
        desk.wait_focus(MAIN, "the main window after a click on it")

    def about_shown_again():
        desk.menu_keys()
        desk.wait_focus(ABOUT, "the about window")
        back_to_main()
        desk.menu_keys()
        check = Checks()
        check(focused(ABOUT), "the about window shown again by the menu's keys has no focus")
        check(soon(lambda: not desk.raises or desk.above(ABOUT, MAIN)),
              "the about window shown again by the menu's keys stays behind the main window")
        back_to_main()
        desk.click(MAIN, *MENU_BAR_HELP)
        time.sleep(0.5)
        desk.click(MAIN, *MENU_ABOUT)
        check(focused(ABOUT), "the about window shown again by a click on the menu has no focus")
        limits = desk.limits(ABOUT)
        check(limits.get("min") and limits.get("min") == limits.get("max"),
              f"the about window does not say its size is fixed: {limits}")
        check.done()

    def style_shown_again():
        back_to_main()
        desk.click(MAIN, Z_BUTTON[0], menu + Z_BUTTON[1])
        desk.wait_focus(STYLE, "the style window")
        back_to_main()
        desk.click(MAIN, Z_BUTTON[0], menu + Z_BUTTON[1])
        check = Checks()
        check(focused(STYLE), "the style window shown again by a click on 换背景 has no focus")
        # The click left the focus on 换背景: Space on it shows the style window again.
        back_to_main()
        desk.key("space")
        check(focused(STYLE), "the style window shown again by Space on 换背景 has no focus")
        check.done()

    def message_box_in_front():
        back_to_main()
        desk.menu_keys()
        desk.wait_focus(ABOUT, "the about window")
        desk.key("s", "Alt_L")  # no tool: the message box
        desk.wait_focus(MESSAGE, "the message box")
        check = Checks()
        limits = desk.limits(MESSAGE)
        check(limits.get("min") and limits.get("min") == limits.get("max"),
              f"the message box does not say its size is fixed: {limits}")
        if desk.clicks_any_window:
            desk.click(ABOUT, 10, 200)
            check(focused(MESSAGE), "a click on the about window took the keys from its box")
            check(soon(lambda: not desk.raises or desk.above(MESSAGE, ABOUT)),
                  "a click on the about window hid its message box")
        desk.key("Return")
        check(soon(lambda: not desk.trace.surface(MESSAGE) or not re.search(
            MESSAGE, desk.focus() or "")), "Return did not close the message box")
        check.done()

    return about_shown_again, style_shown_again, message_box_in_front


def run_steps(name, steps, *args):
    """Each step on, even after a failure, so one run shows every fault; raises the failures."""
    errors = []
    for step in steps:
        print(f"{name}: {step.__name__}")
        try:
            step(*args)
        except Failure as failure:
            print(f"{name}: FAILED: {failure}")
            errors.append(failure)
    if errors:
        raise Failure(f"{len(errors)} of {len(steps)} steps failed")


def print_logs(work, leave_out=()):
    for log in sorted(os.listdir(work)):
        if log.endswith(".log") and log not in leave_out:
            with open(os.path.join(work, log), errors="replace") as text:
                tail = text.read()[-2000:]
            if tail.strip():
                print(f"--- {log}\n{tail}")


def wayland_main(program):
    """The Wayland half: each compositor that is installed, 77 when none is."""
    if os.environ.get("QT_QPA_PLATFORM_PLUGIN_PATH") is None and not any(
            os.path.exists(os.path.join(d, "platforms", "libqwayland-generic.so"))
            for d in ("/usr/lib/x86_64-linux-gnu/qt6/plugins", "/usr/lib/aarch64-linux-gnu/qt6/plugins")):
        print("skipped: Qt's Wayland platform plugin (qt6-wayland) is not installed")
        return SKIPPED
    compositors = []
    if shutil.which("sway") and shutil.which("wtype") and shutil.which("swaymsg"):
        compositors.append(Sway)
    else:
        print("sway: not tested, sway or wtype is not installed")
    try:
        import dbus  # noqa: F401

        has_dbus = True
    except ImportError:
        has_dbus = False
    if shutil.which("mutter") and shutil.which("dbus-run-session") and has_dbus:
        compositors.append(Mutter)
    else:
        print("mutter: not tested, mutter, dbus-run-session or python3-dbus is missing")
    version = ""
    if shutil.which("kwin_wayland") and shutil.which("Xvfb") and shutil.which("xdotool"):
        version = subprocess.run(["kwin_wayland", "--version"], capture_output=True,
                                 text=True).stdout
    # KWin 5 (Debian 12) does not run headless here. Without a decoration plugin of its own
    # (kwin-wayland recommends Breeze's) KWin leaves the title bars to Qt, with sizes that no
    # Plasma desktop gives, and the steps would test that instead.
    decoration = glob.glob("/usr/lib/*/qt6/plugins/org.kde.kdecoration*/org.kde.breeze.so")
    if re.search(r"kwin [6-9]", version) and decoration:
        compositors.append(KWin)
    else:
        print("kwin: not tested, KWin 6 with its Breeze decoration (kwin-style-breeze), Xvfb or"
              " xdotool is not installed")
    wanted = os.environ.get("VELBRIN_COMPOSITORS")
    if wanted:
        compositors = [c for c in compositors if c.name in wanted.split()]
    if not compositors:
        print("skipped: no headless Wayland compositor (sway, mutter, KWin 6) is installed")
        return SKIPPED
    failed = False
    for kind in compositors:
        with tempfile.TemporaryDirectory() as work:
            try:
                with kind(program, work) as desk:
                    try:
                        run_steps(kind.name, wayland_steps(desk))
                    finally:
                        print(f"  activation requests sent: {desk.trace.read()['requests']}")
                print(f"{kind.name}: all checks hold")
            except Failure as failure:
                failed = True
                print(f"{kind.name}: FAILED: {failure}")
                print_logs(work, leave_out=("velbrin.log",))
                if os.environ.get("VELBRIN_KEEP_TRACE") and os.path.exists(
                        os.path.join(work, "velbrin.log")):
                    shutil.copy(os.path.join(work, "velbrin.log"), os.environ["VELBRIN_KEEP_TRACE"])
    return 1 if failed else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--wayland":
        return wayland_main(os.path.abspath(sys.argv[2]))
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    for tool in ("Xvfb", "xdotool", "xprop", "import", "identify", "convert"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return SKIPPED
    wanted = os.environ.get("VELBRIN_WINDOW_MANAGERS", "xfwm4 openbox").split()
    managers = [m for m in wanted if shutil.which(m)]
    if not managers:
        print("skipped: neither xfwm4 nor openbox is installed")
        return SKIPPED

    runs = [(manager, False) for manager in managers]
    if glob.glob("/usr/lib/*/qt6/plugins/platformthemes/libqgtk3.so"):
        runs.append((managers[-1], True))
    failed = False
    for manager, gnome_dark in runs:
        steps = [readable_results]
        if not gnome_dark:
            steps += [about_window_and_focus, minimised_windows_come_back]
        else:
            manager += ", GNOME's dark style"
        with tempfile.TemporaryDirectory() as work:
            try:
                with Desktop(program, manager.split(",")[0], work, gnome_dark) as desk:
                    main_window = desk.wait_shown(MAIN)
                    # A window mapped while the window manager is still starting up may be left
                    # without the focus; the user then clicks on it.
                    if not soon(lambda: desk.active() == main_window):
                        print(f"{manager}: the main window started without the focus")
                        desk.click(main_window, 300, 40)
                    desk.wait_active(main_window, "the main window")
                    run_steps(manager, steps, desk, main_window)
                print(f"{manager}: all checks hold")
            except Failure as failure:
                failed = True
                print(f"{manager}: FAILED: {failure}")
                print_logs(work)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
