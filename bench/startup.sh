#!/bin/sh
# Start-up time to the first painted frame and peak memory of velbrin against a minimal Qt window
# with one Chinese label: medians of 15 runs each, offscreen and on an X server (Xvfb), printed
# with the ratios velbrin / baseline and their targets (at most 1.3x each).
#
#   bench/startup.sh [BUILD_DIR] [RUNS]      (BUILD_DIR defaults to build/dev)
set -u
build=${1:-build/dev}
runs=${2:-15}
cmake --build "$build" --target startup_bench >/dev/null || exit 2
driver="$build/bench/startup_bench"
status=0

echo "== offscreen"
QT_QPA_PLATFORM=offscreen "$driver" --runs "$runs" 2>/dev/null || status=1

echo
echo "== X server (Xvfb, xcb)"
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$driver" --runs "$runs" \
        2>/dev/null || status=1
else
    echo "xvfb-run is missing (Debian package xvfb)"
    status=2
fi
exit $status
