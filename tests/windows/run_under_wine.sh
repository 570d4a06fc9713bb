#!/bin/sh
# Runs the cross-compiled launcher test under Wine in a fresh 64-bit prefix, headless, with the
# Chinese ANSI code page 936. Exits 77 (CTest: skipped) when Wine is missing or cannot run here.
#   run_under_wine.sh TEST_EXE PREFIX_DIR
set -u
test_exe=$1
prefix=$2

if ! command -v wine >/dev/null 2>&1; then
    echo "SKIPPED: wine is not installed (Debian packages wine and wine64)"
    exit 77
fi

# Wine takes its ANSI code page from the locale, and names files in its character set.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    echo "SKIPPED: the locale zh_CN.UTF-8 is missing (localedef -i zh_CN -f UTF-8 zh_CN.UTF-8)"
    exit 77
fi

rm -rf "$prefix"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
# No Mono or Gecko downloads, no menu entries in the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k >/dev/null 2>&1' EXIT

# Creates the prefix, and proves Wine runs at all.
if ! ready=$(wine cmd /c echo velbrin-wine-ready 2>&1) \
    || ! printf '%s' "$ready" | grep -q velbrin-wine-ready; then
    echo "SKIPPED: Wine cannot run programs on this machine:"
    printf '%s\n' "$ready"
    exit 77
fi

wine "$test_exe"
