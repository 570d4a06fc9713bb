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

: >"$state/a" && : >"$state/b"
i=0
while [ $i -lt "$runs" ]; do
    if [ $((i % 2)) -eq 0 ]; then
        start "$a" >>"$state/a" && start "$b" >>"$state/b"
    else
        start "$b" >>"$state/b" && start "$a" >>"$state/a"
    fi || exit 1
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ma=$(median "$state/a") mb=$(median "$state/b")
echo "A $a: median $ma ms of $runs starts ($(sort -n "$state/a" | tr '\n' ' '))"
echo "B $b: median $mb ms of $runs starts ($(sort -n "$state/b" | tr '\n' ' '))"
awk -v a="$ma" -v b="$mb" 'BEGIN { printf "B / A: %.2f\n", b / a }'
