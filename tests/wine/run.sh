#!/bin/sh
# Runs a cross-built Windows program under 64-bit Wine, in the prefix and on the X display that
# session.sh made. The windows preset names it as CMake's emulator, so CTest runs every test
# program through it.
#   run.sh STATE_DIR PROGRAM.exe [ARGUMENTS...]
# Wine keeps Unix QT_* variables from Windows programs (they are meant for Linux Qt programs);
# WINEQT_QPA_PLATFORM=offscreen reaches the program as QT_QPA_PLATFORM=offscreen.
set -u
state=$1
shift

if ! command -v wine >/dev/null 2>&1; then
    echo "SKIPPED: wine is not installed (Debian packages wine and wine64)"
    exit 77
fi

export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko downloads, no menu entries in the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine's ANSI code page follows the locale: 936, as on a Chinese Windows.
if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    export LC_ALL=zh_CN.UTF-8
fi
if [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
else
    unset DISPLAY
fi
unset WAYLAND_DISPLAY
exec wine "$@"
