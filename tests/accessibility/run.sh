#!/usr/bin/env bash
# Starts velbrin (path in $1) on a private virtual X display with its own D-Bus session and
# accessibility bus, and checks its accessibility tree with tree.py, which the other arguments go
# to. Exits 77 (skipped) when the tools for it are not installed.
#   run.sh PROGRAM [--keys]
set -uo pipefail
program=$1
shift
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: no python3-pyatspi"; exit 77; }

export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
# Xvfb picks a number whose lock file and sockets, the abstract one included, are all free, and
# writes it once it takes connections.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$XDG_RUNTIME_DIR/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$XDG_RUNTIME_DIR/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$XDG_RUNTIME_DIR/display")

dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    sleep 1
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$0" >/dev/null 2>&1 &
    app=$!
    /usr/bin/python3 "$1/tree.py" "${@:2}"
    status=$?
    kill $app 2>/dev/null
    exit $status
' "$program" "$here" "$@"
status=$?
kill $xvfb 2>/dev/null
exit $status
