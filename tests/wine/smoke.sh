#!/bin/sh
# velbrin.exe as a user meets it: under Wine with Qt's windows platform on the fixture's X display,
# 1, 2, 3, 4 typed with real key presses and Enter, then a click on 计算.
#   smoke.sh STATE_DIR RUN_SH REPORT_EXE VELBRIN_EXE OUT_DIR
# First the test-only build velbrin_report.exe (the same program, which also writes its field texts
# and the places of its controls to a file) proves the results: 2.5, 1.25 and " 1.11803398874989".
# Then velbrin.exe itself goes through the same steps; its window title is checked, its window must
# show the orange backdrop, and its result boxes must look pixel for pixel like the report build's.
# Both must end with status 0 on Alt+F4. Screenshots stay in OUT_DIR.
set -u
state=$1
run=$2
report_exe=$3
velbrin_exe=$4
out=$5

for tool in xdotool import convert compare; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is missing (Debian packages xdotool and imagemagick)"
        exit 77
    fi
done
if [ ! -f "$state/display" ]; then
    echo "FAIL: no X display from the fixture (session.sh start)"
    exit 1
fi
DISPLAY=$(cat "$state/display")
export DISPLAY
rm -rf "$out"
mkdir -p "$out"

title='平均数、方差计算器——jbk工作室'
failures=0
pid=
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# Ends a program that is still running, so that the next step starts alone.
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    pid=
}
trap cleanup EXIT

# Waits up to $2 seconds for a shell condition.
wait_for() {
    condition=$1
    limit=$(($2 * 10))
    while [ "$limit" -gt 0 ]; do
        eval "$condition" && return 0
        sleep 0.1
        limit=$((limit - 1))
    done
    return 1
}

# The value of a line "KEY VALUE..." of the report.
report_value() {
    sed -n "s/^$1 //p" "$report" 2>/dev/null | head -n1
}

# Starts a program, waits for its window and types the numbers into it. Sets $window and $pid.
start_and_enter() {
    exe=$1
    "$run" "$state" "$exe" -platform windows >"$out/$(basename "$exe").log" 2>&1 &
    pid=$!
    window=$(sh "$(dirname "$0")/session.sh" window "$state")
    if [ -z "$window" ]; then
        fail "$(basename "$exe"): no window within 120 s"
        cleanup
        return 1
    fi
    # Wine draws the window a moment after mapping it; the first click then activates it.
    sleep 2
    xdotool mousemove "$input_x" "$input_y" click 1
    sleep 0.5
    for number in 1 2 3 4; do
        xdotool type --delay 50 "$number"
        xdotool key Return
        sleep 0.3
    done
    xdotool mousemove "$compute_x" "$compute_y" click 1
    # Off the button, so that the picture shows no hover, and still on the window, which the X
    # server gives the keys to.
    xdotool mousemove "$rest_x" "$rest_y"
    return 0
}

close_and_check_exit() {
    name=$1
    # The X server sends keys to the window under the pointer: it rests on the window.
    xdotool mousemove "$rest_x" "$rest_y" key alt+F4
    if ! wait_for '! kill -0 "$pid" 2>/dev/null' 60; then
        fail "$name: still running 60 s after Alt+F4"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        pid=
        return
    fi
    wait "$pid"
    status=$?
    pid=
    [ "$status" -eq 0 ] || fail "$name: ended with status $status after Alt+F4"
}

# 1. The report build: where the controls are, and the results.
report=$out/fields.txt
VELBRIN_FIELD_REPORT="Z:$report"
export VELBRIN_FIELD_REPORT
# Before typing, the report tells where Text1 and 计算 are on the screen; the window has its fixed
# place, the same for velbrin.exe.
"$run" "$state" "$report_exe" -platform windows >"$out/velbrin_report.exe.log" 2>&1 &
pid=$!
if ! wait_for '[ -n "$(report_value "button x")" ]' 120; then
    fail "velbrin_report.exe: no report within 120 s"
    cat "$out/velbrin_report.exe.log"
    exit 1
fi
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
read -r compute_x compute_y <<EOF
$(report_value "button x")
EOF
read -r box_x box_y box_width box_height <<EOF
$(report_value "box results")
EOF
read -r input_x input_y <<EOF
$(report_value "input Text1")
EOF
# Qt looks for its settings and translations in the program's folder (qt.conf inside the
# program), not in a folder named after the build machine's Qt.
prefix=$(report_value "qt prefix")
[ "$prefix" = "Z:$(dirname "$report_exe")" ] || fail "velbrin_report.exe: Qt's prefix is '$prefix'"
# The pointer rests on the label left of the first result box.
rest_x=$((box_x - 40))
rest_y=$((box_y + 5))
echo "计算 at $compute_x,$compute_y; result boxes ${box_width}x$box_height at $box_x,$box_y"

rm -f "$report"
if start_and_enter "$report_exe"; then
    if wait_for '[ "$(report_value "field Text3")" = "2.5" ]' 30; then
        echo "velbrin_report.exe computed: $(grep '^field' "$report" | tr '\n' ';')"
    fi
    for expected in "text2 4" "Text3 2.5" "Text4 1.25" "u  1.11803398874989"; do
        name=${expected%% *}
        want=${expected#* }
        got=$(report_value "field $name")
        [ "$got" = "$want" ] || fail "velbrin_report.exe: $name shows '$got', expected '$want'"
    done
    import -window root "$out/velbrin_report.png"
    close_and_check_exit velbrin_report.exe
fi
unset VELBRIN_FIELD_REPORT

# 2. velbrin.exe itself.
if start_and_enter "$velbrin_exe"; then
    name=$(xdotool getwindowname "$window")
    [ "$name" = "$title" ] || fail "velbrin.exe: window title '$name', expected '$title'"
    crop="-crop ${box_width}x$box_height+$box_x+$box_y +repage"
    # shellcheck disable=SC2086 # $crop is several arguments
    convert "$out/velbrin_report.png" $crop "$out/results_report.png"
    # The results are drawn once the click is handled: look again for a few seconds.
    same=no
    for _ in $(seq 20); do
        import -window root "$out/velbrin.png"
        # shellcheck disable=SC2086
        convert "$out/velbrin.png" $crop "$out/results_velbrin.png"
        differing=$(compare -metric AE "$out/results_report.png" "$out/results_velbrin.png" null: 2>&1)
        [ "$differing" = 0 ] && same=yes && break
        sleep 0.5
    done
    [ "$same" = yes ] ||
        fail "velbrin.exe: its result boxes differ from the report build's in $differing pixels"
    orange=$(convert "$out/velbrin.png" -fill black +opaque 'rgb(255,128,0)' -fill white \
        -opaque 'rgb(255,128,0)' -format '%[fx:round(mean*w*h)]' info:)
    # The client area is 342 × 306 pixels, most of it the orange backdrop.
    [ "$orange" -gt 40000 ] || fail "velbrin.exe: $orange orange pixels on the screen, expected the backdrop"
    echo "velbrin.exe: title '$name', $orange orange pixels, result boxes as in the report build: $same"
    close_and_check_exit velbrin.exe
fi

echo "screenshots: $out/velbrin_report.png $out/velbrin.png"
[ "$failures" -eq 0 ] && echo "smoke test passed"
exit "$failures"
