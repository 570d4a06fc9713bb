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

usage: run.py PATH_TO_VELBRIN
Exits 0 when all hold, 1 on a failure, 77 (skipped) when the tools are not installed.
"""

import glob
import os
import re
import shutil
import signal
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
        read, write = os.pipe()
        # -noreset: by default the server starts afresh whenever its last client leaves, and
        # a client connecting just then is turned away.
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "800x600x24",
             "-nolisten", "tcp"],
            pass_fds=(write,),
            start_new_session=True,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        self.processes.append(xvfb)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        runtime = tempfile.mkdtemp(dir=self.work)
        no_tools = tempfile.mkdtemp(dir=self.work)  # no system-information tool to find
        self.env.update(
            DISPLAY=":" + number,
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


def main():
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
                    # Each step on, even after a failure, so one run shows every fault.
                    errors = []
                    for step in steps:
                        print(f"{manager}: {step.__name__}")
                        try:
                            step(desk, main_window)
                        except Failure as failure:
                            print(f"{manager}: FAILED: {failure}")
                            errors.append(failure)
                if errors:
                    raise Failure(f"{len(errors)} of {len(steps)} steps failed")
                print(f"{manager}: all checks hold")
            except Failure as failure:
                failed = True
                print(f"{manager}: FAILED: {failure}")
                for log in sorted(os.listdir(work)):
                    if log.endswith(".log"):
                        with open(os.path.join(work, log), errors="replace") as text:
                            tail = text.read()[-2000:]
                        if tail.strip():
                            print(f"--- {log}\n{tail}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
