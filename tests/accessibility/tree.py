#!/usr/bin/python3
"""Walks velbrin's accessibility tree over AT-SPI, the way a screen reader sees it, and checks that
every control of the main window is there under its Chinese name, and that the hidden running
sums are not shown. Then enters values through the same interfaces and checks that the count and
the list read as they show. With --keys, then types numbers with real key presses (xdotool),
computes from the keyboard and reads the results back, as the installed package's test does
(debian/tests/control). Run by tests/accessibility/run.sh inside a private X and D-Bus session."""

import subprocess
import sys
import time

import pyatspi
from pyatspi import ROLE_FRAME, ROLE_LABEL, ROLE_PUSH_BUTTON, ROLE_TEXT

# Roles are compared as AT-SPI's role constants: their English names differ between versions
# ("push button" became "button").
EXPECTED = {
    # accessible name -> role
    "下一个数": ROLE_PUSH_BUTTON,
    "计算": ROLE_PUSH_BUTTON,
    "清空": ROLE_PUSH_BUTTON,
    "换背景": ROLE_PUSH_BUTTON,
    "输入下一个数": ROLE_TEXT,
    "您输入了": ROLE_LABEL,
    "0": ROLE_LABEL,  # the count, which says what it is in its description
    "个数": ROLE_LABEL,
    "请您核对": None,
    "平均数": None,
    "方差": None,
    "标准差": None,
    "状态栏": ROLE_TEXT,
}
HIDDEN = ("和", "平方和")
# Typed values -> the results as the window shows them (tests/gui/main_window_test.cpp).
TYPED = ["1", "2", "2"]
RESULTS = {"平均数": "1.66666666666667", "方差": "0.222222222222211", "标准差": " .47140452079102"}


def find_application(name, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(node, depth=0, out=None):
    out = [] if out is None else out
    try:
        states = node.getState()
        out.append((depth, node.name, node.getRole(), node.getRoleName(),
                    states.contains(pyatspi.STATE_SHOWING)))
        for child in node:
            if child is not None:
                walk(child, depth + 1, out)
    except Exception as error:  # a control going away while we look is no failure
        out.append((depth, "?", None, str(error), False))
    return out


def check(nodes):
    failures = []
    windows = [name for _, name, role, _, _ in nodes if role == ROLE_FRAME]
    if not any(name == "平均数、方差计算器——jbk工作室" for name in windows):
        failures.append("no frame named after the window caption")
    shown = {(name, role) for _, name, role, _, showing in nodes if showing}
    shown_names = {name for name, _ in shown}
    for name, role in EXPECTED.items():
        if name not in shown_names:
            failures.append(f"missing: {name}")
        elif role is not None and (name, role) not in shown:
            failures.append(f"{name} is not a {role}")
    for name in HIDDEN:
        if name in shown_names:
            failures.append(f"hidden control shown: {name}")
    return failures


def find(nodes_root, name, role):
    """The first showing node with this name and role, depth first."""
    for node in iterate(nodes_root):
        try:
            if node.name == name and node.getRole() == role:
                return node
        except Exception:
            pass
    return None


def iterate(node):
    yield node
    for child in node:
        if child is not None:
            yield from iterate(child)


def wait_for(what, seconds=20):
    deadline = time.time() + seconds
    while True:
        value = what()
        if value or time.time() > deadline:
            return value
        time.sleep(0.2)


def enter_values(app, values):
    """Types each value into the input box and presses 下一个数, as a screen reader user may.
    Returns failures."""
    entry = find(app, "输入下一个数", ROLE_TEXT)
    button = find(app, "下一个数", ROLE_PUSH_BUTTON)
    count = next((n for n in iterate(app) if n.getRole() == ROLE_LABEL
                  and n.description == "已输入的个数"), None)
    listing = find(app, "请您核对", ROLE_TEXT)
    if not (entry and button and count and listing):
        return ["the input box, 下一个数, the count or the list is missing"]
    failures = []
    for number, value in enumerate(values, start=1):
        entry.queryEditableText().setTextContents(value)
        button.queryAction().doAction(0)
        if not wait_for(lambda: count.name == str(number)):
            failures.append(f"after {number} entries the count reads {count.name!r}")
            break
    expected = "".join(value + "," for value in values)
    text = listing.queryText()
    read = wait_for(lambda: text.getText(0, -1) == expected and text.getText(0, -1))
    if read != expected:
        failures.append(f"the list reads {text.getText(0, -1)!r}, not {expected!r}")
    if text.characterCount != len(expected):
        failures.append(f"the list has {text.characterCount} characters, not {len(expected)}")
    if not failures:
        print(f"entered {len(values)} values: the count reads {count.name!r}, "
              f"the list {text.characterCount} characters")
    return failures


def type_values(app):
    """Types TYPED into the focused input box, each followed by Enter, and presses 计算 with the
    space bar. Returns failures."""
    entry = find(app, "输入下一个数", ROLE_TEXT)
    compute = find(app, "计算", ROLE_PUSH_BUTTON)
    count = next((n for n in iterate(app) if n.getRole() == ROLE_LABEL
                  and n.description == "已输入的个数"), None)
    boxes = {name: find(app, name, ROLE_TEXT) for name in RESULTS}
    if not (entry and compute and count and all(boxes.values())):
        return ["the input box, 计算, the count or a result box is missing"]

    def keys(*arguments):
        subprocess.run(["xdotool", *arguments], check=True)

    def focus(node):  # keys typed before the focus has moved would go elsewhere
        node.queryComponent().grabFocus()
        return wait_for(lambda: node.getState().contains(pyatspi.STATE_FOCUSED))

    # No window manager gives the window the keyboard: it is given it here, as a click would.
    keys("search", "--sync", "--onlyvisible", "--name", "jbk", "windowfocus", "--sync")
    if not focus(entry):
        return ["the input box does not take the focus"]
    # The first keys after the focus moved can still go astray on a loaded machine: a value that
    # did not arrive is typed again, one that arrived without its Enter gets another Enter.
    text = entry.queryText()
    for number, value in enumerate(TYPED, start=1):
        for _ in range(3):
            if not text.getText(0, -1):
                keys("type", "--delay", "60", value)
            keys("key", "Return")
            if wait_for(lambda: count.name == str(number), seconds=5):
                break
        else:
            return [f"after typing {number} values the count reads {count.name!r}"]
    if not focus(compute):
        return ["计算 does not take the focus"]
    keys("key", "space")
    failures = []
    for name, expected in RESULTS.items():
        text = boxes[name].queryText()
        if not wait_for(lambda: text.getText(0, -1) == expected):
            failures.append(f"{name} reads {text.getText(0, -1)!r}, not {expected!r}")
    if not failures:
        print(f"typed {' '.join(TYPED)}: " + ", ".join(f"{n} {v!r}" for n, v in RESULTS.items()))
    return failures


def main():
    app = find_application("velbrin", seconds=60)
    if app is None:
        print("velbrin did not appear on the accessibility bus")
        return 1
    # The window may still be coming up on a busy machine: look again until it is all there.
    deadline = time.time() + 30
    while True:
        nodes = walk(app)
        failures = check(nodes)
        if not failures or time.time() > deadline:
            break
        time.sleep(0.5)
    for depth, name, _, role_name, showing in nodes:
        print("  " * depth + f"{role_name}: {name!r}{'' if showing else ' (not showing)'}")
    if not failures:
        # Long enough to wrap over several lines of the list box.
        failures = enter_values(app, [str(123456789012 + i) for i in range(12)])
    if not failures and "--keys" in sys.argv[1:]:
        find(app, "清空", ROLE_PUSH_BUTTON).queryAction().doAction(0)
        failures = type_values(app)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
