#!/bin/sh
# Starts and ends what the Windows tests share: a private X display (Xvfb) and a fresh 64-bit Wine
# prefix that knows it. CTest runs "start" as the setup of the fixture wine and "stop" as its cleanup.
#   session.sh start|stop STATE_DIR
#   session.sh window STATE_DIR [SECONDS]   prints the first shown window of velbrin's title on the
#                                           display, waiting up to SECONDS (120) for it
# STATE_DIR gets prefix/ (the Wine prefix), display (the X display's name) and xvfb.pid. Exits 77
# (CTest: skipped) when Wine or Xvfb is missing.
set -u
action=$1
state=$2
here=$(cd "$(dirname "$0")" && pwd)

stop() {
    if [ -d "$state/prefix" ]; then
        WINEPREFIX="$state/prefix" wineserver -k >/dev/null 2>&1
        WINEPREFIX="$state/prefix" wineserver -w >/dev/null 2>&1
    fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid"
    fi
    rm -f "$state/display"
}

case $action in
stop)
    stop
    exit 0
    ;;
window)
    # Polled: xdotool's --sync gives up on the X error of a window that closes while it looks.
    tries=$((${3:-120} * 5))
    while [ "$tries" -gt 0 ]; do
        DISPLAY=$(cat "$state/display") xdotool search --onlyvisible --name 'jbk' 2>/dev/null |
            head -n1 | grep . && exit 0
        tries=$((tries - 1))
        sleep 0.2
    done
    exit 1
    ;;
start) ;;
*)
    echo "usage: session.sh start|stop|window STATE_DIR" >&2
    exit 2
    ;;
esac

for tool in wine wineserver Xvfb; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is missing (Debian packages wine, wine64 and xvfb)"
        exit 77
    fi
done

stop
rm -rf "$state/prefix"
mkdir -p "$state"

# A display number nobody uses: Xvfb fails at once on a taken one.
for number in $(seq 140 199); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 50); do
        [ -S "/tmp/.X11-unix/X$number" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -S "/tmp/.X11-unix/X$number" ]; then
        echo "$pid" >"$state/xvfb.pid"
        echo ":$number" >"$state/display"
        break
    fi
    kill "$pid" 2>/dev/null
done
if [ ! -f "$state/display" ]; then
    echo "Xvfb did not start"
    exit 1
fi

# One wineserver for the whole run (-p: it stays when no program runs). Without it the server and
# Wine's service processes would end between two tests and start again with the next one, holding
# that test's output open, and CTest would wait for them until its time-out.
mkdir -p "$state/prefix"
WINEPREFIX="$state/prefix" wineserver -p </dev/null >/dev/null 2>&1
# Wine makes the prefix on its first run (about 15 s). Its desktop process starts with it and
# uses this display for the whole session, so every later program can show windows on it. The
# service processes it starts keep what they inherit: a file here, no pipe of CTest's.
if ! "$here/run.sh" "$state" cmd /c echo velbrin-wine-ready </dev/null >"$state/start.log" 2>&1 ||
    ! grep -q velbrin-wine-ready "$state/start.log"; then
    echo "SKIPPED: Wine cannot run programs on this machine:"
    cat "$state/start.log"
    stop
    exit 77
fi
# A program that crashes ends at once, its test failing, instead of waiting under Wine's crash
# dialog until CTest's time-out.
"$here/run.sh" "$state" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
    /d 0 /f </dev/null >>"$state/start.log" 2>&1
echo "Wine prefix ready in $state/prefix, display $(cat "$state/display")"
