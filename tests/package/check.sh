#!/usr/bin/env bash
# Checks one aspect of a built velbrin .deb. Exits 77 (skipped) when a tool it needs is missing.
#   check.sh lintian  DEB              no lintian error or warning (informational tags are fine)
#   check.sh metadata DEB              AppStream metadata and desktop entry validate, and agree
#   check.sh man      DEB              every manual page renders without a warning
#   check.sh contents DEB SOURCE_DIR   versions, licence and icons are what they should be
#   check.sh start    DEB              the packed program starts and shows its main window
set -uo pipefail
mode=$1 deb=$2

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
    done
}
fail() { echo "FAIL: $*" >&2; status=1; }
status=0

need dpkg-deb
tree=$(mktemp -d)
cleanup() { rm -rf "$tree"; }
trap cleanup EXIT
dpkg-deb -x "$deb" "$tree" || exit 1
share=$tree/usr/share

case $mode in
lintian)
    need lintian
    # lintian's own exit status covers --fail-on; the grep also catches a tag it would not count.
    output=$(lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" 2>&1)
    lintian_status=$?
    echo "$output"
    [ $lintian_status -eq 0 ] || fail "lintian exited with $lintian_status"
    ! grep -q '^[EW]: ' <<<"$output" || fail "lintian reports errors or warnings"
    ;;

metadata)
    need appstreamcli desktop-file-validate
    metainfo=("$share"/metainfo/*.metainfo.xml)
    desktop=("$share"/applications/*.desktop)
    [ -f "${metainfo[0]}" ] && [ ${#metainfo[@]} -eq 1 ] || fail "not one metainfo file: ${metainfo[*]}"
    [ -f "${desktop[0]}" ] && [ ${#desktop[@]} -eq 1 ] || fail "not one desktop entry: ${desktop[*]}"
    # validate-tree also checks that the launchable desktop entry is in the tree.
    appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
    appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"
    for entry in "${desktop[@]}"; do
        messages=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry"
        [ -z "$messages" ] || fail "desktop-file-validate has remarks: $messages"
        # Software centres find the entry under the component id.
        id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}" | head -1)
        [ "$(basename "$entry")" = "$id.desktop" ] || fail "$(basename "$entry") is not named $id.desktop"
        program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
        [ -x "$tree/usr/bin/$program" ] || fail "Exec=$program is not in /usr/bin"
        icon=$(sed -n 's/^Icon=//p' "$entry")
        [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] ||
            fail "Icon=$icon has no scalable icon in hicolor"
        for key in 'Comment[zh_CN]' 'Keywords' 'Keywords[zh_CN]'; do
            cut -d= -f1 "$entry" | grep -qxF "$key" || fail "$(basename "$entry") has no $key"
        done
    done
    binary=$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "${metainfo[0]}")
    [ -n "$binary" ] && [ -x "$tree/usr/bin/$binary" ] || fail "provides/binary '$binary' is not in /usr/bin"
    ;;

man)
    need man
    pages=$(cd "$share/man" 2>/dev/null && find . -name '*.[1-9].gz' | sort)
    for expected in ./man1/velbrin.1.gz ./zh_CN/man1/velbrin.1.gz; do
        grep -qx "$expected" <<<"$pages" || fail "no manual page $expected"
    done
    for page in $pages; do
        for width in 80 60; do
            warnings=$(LC_ALL=C.UTF-8 MANWIDTH=$width man --warnings -l "$share/man/$page" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "$page at $width columns: $warnings"
        done
        lines=$(LC_ALL=C.UTF-8 man -l "$share/man/$page" 2>/dev/null | wc -l)
        [ "$lines" -ge 40 ] || fail "$page renders to $lines lines"
    done
    ;;

contents)
    source_dir=$3
    need dpkg-parsechangelog python3
    version=$(dpkg-deb -f "$deb" Version)
    zcat "$share/doc/velbrin/changelog.gz" >"$tree/changelog" || fail "no changelog.gz"
    changelog_version=$(dpkg-parsechangelog -l "$tree/changelog" -S Version)
    changelog_day=$(date -d "$(dpkg-parsechangelog -l "$tree/changelog" -S Date |
        sed -E 's/^[A-Za-z]+, *([0-9]+ [A-Za-z]+ [0-9]+).*/\1/')" +%F)
    [ "$changelog_version" = "$version" ] ||
        fail "the changelog's last entry is $changelog_version, the package $version"
    read -r release_version release_day < <(python3 - "$share"/metainfo/*.metainfo.xml <<'PY'
import sys, xml.etree.ElementTree as tree
release = tree.parse(sys.argv[1]).getroot().find("releases/release")
print(release.get("version"), release.get("date"))
PY
    )
    [ "$release_version" = "$version" ] ||
        fail "the metainfo's newest release is $release_version, the package $version"
    [ "$release_day" = "$changelog_day" ] ||
        fail "released on $release_day by the metainfo, on $changelog_day by the changelog"

    # The copyright file carries the licence of LICENSE, word for word.
    copyright=$share/doc/velbrin/copyright
    head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "copyright is not in the machine-readable format"
    licence_text=$(sed -n '/^License: Expat$/,/^$/{/^License:/d;s/^ \.$//;s/^ //;p}' "$copyright")
    expected_text=$(sed -n '/^Permission/,$p' "$source_dir/LICENSE")
    [ "$licence_text" = "$expected_text" ] || fail "copyright's Expat text differs from LICENSE"

    # The launcher icons: the SVG draws, and every PNG has the size of its folder.
    svg=$share/icons/hicolor/scalable/apps/velbrin.svg
    if command -v rsvg-convert >/dev/null; then
        rsvg-convert --width 64 --height 64 "$svg" >/dev/null || fail "$svg does not render"
    fi
    for png in "$share"/icons/hicolor/*/apps/*.png; do
        [ -f "$png" ] || continue
        folder=$(basename "$(dirname "$(dirname "$png")")")
        size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$png")
        [ "$size" = "$folder" ] || fail "$png is $size"
    done
    ;;

start)
    need Xvfb xdotool
    program=$tree/usr/bin/velbrin
    xvfb= app=
    cleanup() {
        [ -n "$app" ] && kill "$app" 2>/dev/null
        [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
        wait 2>/dev/null
        rm -rf "$tree"
    }
    # A display of its own: a number another test holds would put the window on that server.
    for _ in 1 2 3 4 5; do
        number=$((400 + RANDOM % 200))
        [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X$number" ] && break
            kill -0 "$xvfb" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$xvfb" 2>/dev/null && [ -S "/tmp/.X11-unix/X$number" ] && break
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
        xvfb=
    done
    [ -n "$xvfb" ] || { echo "FAIL: no virtual X display could be started" >&2; exit 1; }
    display=:$number
    # A clean environment: nothing from the build tree or the caller's session reaches it.
    mkdir -m 700 "$tree/run"
    env -i PATH=/usr/bin:/bin HOME="$tree" XDG_RUNTIME_DIR="$tree/run" LC_ALL=C.UTF-8 \
        DISPLAY="$display" "$program" &
    app=$!
    window=
    for _ in $(seq 150); do
        window=$(DISPLAY=$display xdotool search --onlyvisible --class velbrin 2>/dev/null | head -1)
        [ -n "$window" ] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        fail "no visible velbrin window within 15 s"
    else
        title=$(LC_ALL=C.UTF-8 DISPLAY=$display xdotool getwindowname "$window")
        echo "window $window: $title"
        [ "$title" = "平均数、方差计算器——jbk工作室" ] || fail "the window is titled '$title'"
    fi
    kill -0 "$app" 2>/dev/null || fail "the program has ended"
    ;;

*)
    echo "unknown check: $mode" >&2
    exit 2
    ;;
esac
exit $status
