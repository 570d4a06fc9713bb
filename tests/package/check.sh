#!/usr/bin/env bash
# Checks one aspect of a built velbrin .deb. Exits 77 (skipped) when a tool it needs is missing.
#   check.sh lintian  DEB SOURCE_DIR [CODENAME]
#                                      lintian --pedantic finds no error and no warning in the source
#                                      package and the .deb of DEB's folder (debian/*.changes); with
#                                      CODENAME, the lintian of a minimal Debian of that release
#                                      (scripts/debian-root, as root or with sudo)
#   check.sh metadata DEB              AppStream metadata and desktop entry validate, and agree
#   check.sh man      DEB              every manual page renders without a warning
#   check.sh contents DEB SOURCE_DIR   versions, files, licence and icons are what they should be
#   check.sh start    DEB              the packed program starts, shows its main window and draws
#                                      its Chinese captions
#   check.sh autopkgtest DEB SOURCE_DIR CODENAME
#                                      the tests of debian/tests, run by autopkgtest on the source
#                                      package and the .deb of DEB's folder (debian/*.dsc) installed
#                                      into a fresh minimal Debian of release CODENAME
#                                      (scripts/debian-root, as root or with sudo; autopkgtest's
#                                      null runner)
#   check.sh clean-install DEB SOURCE_DIR CODENAME
#                                      the same, installed with apt into a fresh minimal Debian
#                                      of release CODENAME (scripts/debian-root, as root or
#                                      with sudo)
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
xvfb= app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tree"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
dpkg-deb -x "$deb" "$tree" || exit 1
share=$tree/usr/share

# A virtual X display of its own. Xvfb picks the number (-displayfd): one whose lock file and
# sockets are all free, the abstract one included, which a system that shares the host's network
# shares with every X server of the host; a number taken only there would put the window on that
# server. Sets xvfb and display.
start_display() {
    local file=$tree/display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    xvfb=$!
    # It writes the number once it takes connections.
    for _ in $(seq 100); do
        [ -s "$file" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$file" ] || { echo "FAIL: no virtual X display could be started" >&2; exit 1; }
    display=:$(cat "$file")
}

# The program started as $app shows its main window within 15 s, with its title. Sets window.
find_window() {
    window=
    for _ in $(seq 150); do
        window=$(DISPLAY=$display xdotool search --onlyvisible --class velbrin 2>/dev/null | head -1)
        [ -n "$window" ] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$window" ] || { fail "no visible velbrin window within 15 s"; return 1; }
    title=$(LC_ALL=C.UTF-8 DISPLAY=$display xdotool getwindowname "$window")
    echo "window $window: $title"
    [ "$title" = "平均数、方差计算器——jbk工作室" ] || fail "the window is titled '$title'"
}

# Two captions of the same length, face and colours are different pictures when drawn with Chinese
# glyphs, and the same one when every character is the same empty box (no face has the glyphs) or
# nothing is drawn. One pair in "隶书" (the buttons 计算 and 清空), one in the interface font (the
# labels 平均数 and 标准差); places in pixels of the client area, 306 pixels high below the menu bar.
# Waits up to 5 s for the window to be drawn.
check_glyphs() {
    local shot=$tree/window.png menu buttons labels
    picture() { convert "$shot" -crop "$1+$2+$((menu + $3))" +repage rgb:- | md5sum; }
    for _ in $(seq 10); do
        DISPLAY=$display import -window "$window" "$shot" || break
        menu=$(($(identify -format %h "$shot") - 306))
        buttons=$([ "$(picture 65x33 144 96)" != "$(picture 65x33 224 96)" ] && echo differ)
        labels=$([ "$(picture 49x17 8 208)" != "$(picture 49x17 8 256)" ] && echo differ)
        [ -n "$buttons" ] && [ -n "$labels" ] && return 0
        sleep 0.5
    done
    [ -n "$buttons" ] || fail "计算 and 清空 are drawn alike: no Chinese glyphs"
    [ -n "$labels" ] || fail "平均数 and 标准差 are drawn alike: no Chinese glyphs"
}

case $mode in
lintian)
    source_dir=$3 codename=${4:-}
    changes=("$(dirname "$(realpath "$deb")")"/debian/*.changes)
    [ -f "${changes[0]}" ] || { echo "FAIL: no .changes beside $deb" >&2; exit 1; }
    # The source package's .dsc and the build's .changes.
    lint=(lintian --pedantic --fail-on error,warning --display-info --tag-display-limit 0
        "$(dirname "${changes[0]}")"/*.dsc "${changes[@]}")
    if [ -z "$codename" ]; then
        need lintian
        output=$("${lint[@]}" 2>&1)
    else
        source "$source_dir/scripts/common.sh"
        velbrin_reach_debian_root || { echo "skipped: $velbrin_no_debian_root"; exit 77; }
        output=$("${velbrin_debian_root[@]}" --scratch --bind "$(dirname "${changes[0]}")" \
            "$codename" -- sh -c 'apt-get update -q >/dev/null && apt-get install -y -q \
                --no-install-recommends lintian appstream >/dev/null && exec "$@"' lintian "${lint[@]}" 2>&1)
    fi
    lintian_status=$?
    echo "$output"
    # Debian 13's lintian reports AppStream's warning of the missing homepage; Debian 12's takes an
    # override of that tag for an error (alien-tag). check.sh metadata allows no other finding.
    accepted='^W: velbrin: appstream-metadata-validation-failed( |$)'
    findings=$(grep '^[EW]: ' <<<"$output" | grep -Ev "$accepted")
    [ $lintian_status -eq 2 ] && [ -z "$findings" ] && grep -Eq "$accepted" <<<"$output" && lintian_status=0
    [ $lintian_status -eq 0 ] || fail "lintian exited with $lintian_status"
    [ -z "$findings" ] || fail "lintian reports errors or warnings"
    ;;

metadata)
    need appstreamcli desktop-file-validate
    metainfo=("$share"/metainfo/*.metainfo.xml)
    desktop=("$share"/applications/*.desktop)
    [ -f "${metainfo[0]}" ] && [ ${#metainfo[@]} -eq 1 ] || fail "not one metainfo file: ${metainfo[*]}"
    [ -f "${desktop[0]}" ] && [ ${#desktop[@]} -eq 1 ] || fail "not one desktop entry: ${desktop[*]}"
    # velbrin has no homepage, so its metadata names none, and AppStream 1.0 warns of that
    # (url-homepage-missing). That one finding is made informational; any other warning or error
    # still fails. An AppStream that does not know the tag refuses the override: it is asked again
    # without it.
    validate() { # appstreamcli command, arguments...
        appstreamcli "$@" --no-net --override=url-homepage-missing=info ||
            appstreamcli "$@" --no-net
    }
    # validate-tree also checks that the launchable desktop entry is in the tree.
    validate validate-tree "$tree" || fail "appstreamcli validate-tree"
    validate validate "${metainfo[@]}" || fail "appstreamcli validate"
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
    # One version, project(VERSION) of CMakeLists.txt: the package's is it with a Debian revision,
    # and Debian's changelog names the package's. The upstream changelog and the metainfo name the
    # release as the about window shows it, by its first three numbers, on the same day.
    version=$(dpkg-deb -f "$deb" Version)
    project_version=$(sed -n 's/^ *VERSION \([0-9][0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt" | head -1)
    [ "${version%-*}" = "$project_version" ] ||
        fail "the package is $version, project(VERSION) $project_version"
    zcat "$share/doc/velbrin/changelog.Debian.gz" >"$tree/changelog.Debian" || fail "no changelog.Debian.gz"
    debian_version=$(dpkg-parsechangelog -l "$tree/changelog.Debian" -S Version)
    [ "$debian_version" = "$version" ] ||
        fail "changelog.Debian's last entry is $debian_version, the package $version"
    zcat "$share/doc/velbrin/changelog.gz" >"$tree/changelog" || fail "no changelog.gz"
    changelog_version=$(dpkg-parsechangelog -l "$tree/changelog" -S Version)
    changelog_day=$(date -d "$(dpkg-parsechangelog -l "$tree/changelog" -S Date |
        sed -E 's/^[A-Za-z]+, *([0-9]+ [A-Za-z]+ [0-9]+).*/\1/')" +%F)
    [ "$changelog_version" = "$(cut -d. -f1-3 <<<"$project_version")" ] ||
        fail "the changelog's last entry is $changelog_version, project(VERSION) $project_version"
    read -r release_version release_day < <(python3 - "$share"/metainfo/*.metainfo.xml <<'PY'
import sys, xml.etree.ElementTree as tree
release = tree.parse(sys.argv[1]).getroot().find("releases/release")
print(release.get("version"), release.get("date"))
PY
    )
    [ "$release_version" = "$changelog_version" ] ||
        fail "the metainfo's newest release is $release_version, the changelog's $changelog_version"
    [ "$release_day" = "$changelog_day" ] ||
        fail "released on $release_day by the metainfo, on $changelog_day by the changelog"

    # Nothing more and nothing less than the program, its desktop integration, the manual pages,
    # the changelogs and the copyright file.
    expected_files=$(printf './usr/%s\n' bin/velbrin share/applications/cn.jbkstudio.velbrin.desktop \
        share/doc/velbrin/{changelog.Debian.gz,changelog.gz,copyright} share/lintian/overrides/velbrin \
        share/icons/hicolor/{{48x48,64x64,128x128,256x256}/apps/velbrin.png,32x32/apps/velbrin.xpm} \
        share/icons/hicolor/scalable/apps/velbrin.svg share/man/{,zh_CN/}man1/velbrin.1.gz \
        share/metainfo/cn.jbkstudio.velbrin.metainfo.xml share/pixmaps/velbrin.xpm | sort)
    files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
    [ "$files" = "$expected_files" ] ||
        fail "the package's files differ: $(diff <(echo "$expected_files") <(echo "$files") | grep '^[<>]')"

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
    need Xvfb xdpyinfo xdotool import convert identify
    start_display
    # A clean environment: nothing from the build tree or the caller's session reaches it.
    mkdir -m 700 "$tree/run"
    env -i PATH=/usr/bin:/bin HOME="$tree" XDG_RUNTIME_DIR="$tree/run" LC_ALL=C.UTF-8 \
        DISPLAY="$display" "$tree/usr/bin/velbrin" &
    app=$!
    find_window && check_glyphs
    kill -0 "$app" 2>/dev/null || fail "the program has ended"
    ;;

autopkgtest)
    source_dir=$3 codename=$4
    source "$source_dir/scripts/common.sh"
    velbrin_reach_debian_root || { echo "skipped: $velbrin_no_debian_root"; exit 77; }
    # At its real path, where debian-root binds it.
    folder=$(cd "$(dirname "$deb")/debian" && pwd -P)
    # What apt fetches is kept for the next run, beside the minimal systems.
    archives=$(velbrin_apt_archives "$codename-autopkgtest") || exit 1
    "${velbrin_debian_root[@]}" --scratch --bind "$folder" --bind "$archives" "$codename" -- sh -c '
        echo "Dir::Cache::Archives \"$2/\";" >/etc/apt/apt.conf.d/50velbrin-archives
        { apt-get update -q && apt-get install -y -q --no-install-recommends autopkgtest dpkg-dev; } \
            >/tmp/install.log 2>&1 || { tail -n 20 /tmp/install.log; exit 1; }
        exec autopkgtest "$1"/velbrin_*.dsc "$1"/velbrin_*.deb -- null
    ' autopkgtest "$folder" "$archives" || fail "autopkgtest on Debian $codename"
    ;;

clean-install)
    need Xvfb xdpyinfo xdotool import convert identify
    source_dir=$(cd "$3" && pwd -P) codename=$4 recommends=${5:-}
    source "$source_dir/scripts/common.sh"
    velbrin_reach_debian_root || { echo "skipped: $velbrin_no_debian_root"; exit 77; }
    # Beside the package, in the build tree: the .deb under the name apt expects, and the install's log.
    here=$(cd "$(dirname "$deb")" && pwd -P)/clean-install-$codename${recommends:+-$recommends}
    rm -rf "$here" && mkdir -p "$here" || exit 1
    file=$(dpkg-deb -f "$deb" Package)_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb
    cp "$deb" "$here/$file"
    start_display
    # As a user would install it: by apt from a file, without the recommended packages, or with
    # them as apt's defaults have it (on Debian 13 Qt's Wayland plugin and gtk3 platform theme come
    # along) and started as on a GNOME desktop in its dark style. The system shares the host's
    # network, so X's abstract socket reaches the display; it and all it started end when the script
    # it runs is killed.
    options=--no-install-recommends desktop=
    if [ "$recommends" = recommends ]; then
        options= desktop=GNOME
        mkdir -p "$here/config/gtk-3.0"
        printf '[Settings]\ngtk-application-prefer-dark-theme=1\n' >"$here/config/gtk-3.0/settings.ini"
    fi
    "${velbrin_debian_root[@]}" --scratch --bind "$here" "$codename" -- sh -c '
        apt-get update -q >"$1/install.log" 2>&1 &&
            apt-get install -y -q $5 "$1/$2" >>"$1/install.log" 2>&1 ||
            { tail -n 20 "$1/install.log"; exit 1; }
        echo "installed $(grep -c "^Setting up" "$1/install.log") packages; fonts with Chinese glyphs:"
        fc-list :lang=zh family | sort
        mkdir -m 700 /tmp/run
        touch "$1/installed"
        exec env HOME=/root XDG_RUNTIME_DIR=/tmp/run LC_ALL=C.UTF-8 DISPLAY="$3" \
            XDG_CURRENT_DESKTOP="$4" XDG_CONFIG_HOME="$1/config" /usr/bin/velbrin
    ' clean-install "$here" "$file" "$display" "$desktop" "$options" &
    app=$!
    while [ ! -e "$here/installed" ] && kill -0 "$app" 2>/dev/null; do sleep 1; done
    [ -e "$here/installed" ] || { fail "the package did not install on Debian $codename"; exit 1; }
    find_window && check_glyphs
    kill -0 "$app" 2>/dev/null || fail "the program has ended"
    ;;

*)
    echo "unknown check: $mode" >&2
    exit 2
    ;;
esac
exit $status
