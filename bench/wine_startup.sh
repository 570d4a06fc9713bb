#!/bin/sh
# Time from `wine velbrin.exe` to its shown main window, for two builds of velbrin.exe started in
# turn (A, B, B, A, ...) in one fresh Wine prefix on one private Xvfb display (tests/wine/session.sh):
# the median of RUNS starts each, and the ratio B / A. Each program is ended (taskkill) and
# awaited before the next start. Needs wine, Xvfb and xdotool.
#
#   bench/wine_startup.sh A.exe B.exe [RUNS]      (RUNS defaults to 9)
set -u
[ $# -ge 2 ] || { echo "usage: bench/wine_startup.sh A.exe B.exe [RUNS]" >&2; exit 2; }
a=$1 b=$2 runs=${3:-9}
wine=$(cd "$(dirname "$0")/../tests/wine" && pwd)
state=$(mktemp -d)
trap 'sh "$wine/session.sh" stop "$state"; rm -rf "$state"' EXIT
sh "$wine/session.sh" start "$state" >/dev/null || exit 2
export DISPLAY="$(cat "$state/display")"

start() { # exe: prints the milliseconds to its shown window
    t0=$(date +%s%N)
    sh "$wine/run.sh" "$state" "$1" >/dev/null 2>&1 &
    pid=$!
    window=$(sh "$wine/session.sh" window "$state")
    t1=$(date +%s%N)
    [ -n "$window" ] || { echo "no window from $1" >&2; exit 1; }
    sh "$wine/run.sh" "$state" taskkill /f /im "$(basename "$1")" >/dev/null 2>&1
    wait "$pid"
    echo $(((t1 - t0) / 1000000))
}
start "$a" >/dev/null # the prefix's first start is slower for both

for i in $(seq "$runs"); do # A B, then B A: neither always goes first
    if [ $((i % 2)) -eq 1 ]; then
        start "$a" >>"$state/a" && start "$b" >>"$state/b"
    else
        start "$b" >>"$state/b" && start "$a" >>"$state/a"
    fi || exit 1
done
for x in a b; do # the median of each, and the ratio
    sort -n "$state/$x" | awk -v name="$x" '{ v[NR] = $1 } END {
        print name, "median", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, "ms of", NR, "starts" }'
done | tee "$state/medians"
awk '{ m[$1] = $3 } END { printf "B / A: %.2f\n", m["b"] / m["a"] }' "$state/medians"
