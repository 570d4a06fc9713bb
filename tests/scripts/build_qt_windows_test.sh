#!/usr/bin/env bash
# What scripts/build-qt-windows decides before it builds: the deb-src entries it adds when an APT
# configuration has none (over configuration folders of the test's making), and the cache folder
# for a Debian version. Prints one line per check; fails on any failure.
set -u
source "$(dirname "$0")/../../scripts/common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() { # description, then the command
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# A folder with the given files: name, content, name, content...
folder() {
    local dir=$work/$1
    shift
    mkdir -p "$dir/sources.list.d"
    while [ $# -gt 0 ]; do
        printf '%s' "$2" >"$dir/$1"
        shift 2
    done
    echo "$dir"
}

debian=$(folder debian sources.list.d/debian.sources 'Types: deb
# snapshot of the day
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
')
expected='Types: deb-src
# snapshot of the day
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg'
check "deb822 without deb-src counts as missing" eval '! velbrin_has_deb_src "$debian"'
check "deb822: every stanza again as deb-src, fields kept" \
    test "$(velbrin_deb_src_deb822 "$debian")" = "$expected"
check "deb822 only: no one-line entries" test -z "$(velbrin_deb_src_one_line "$debian")"

# The type line need not come first, and other files' stanzas count too.
commented=$(folder commented sources.list.d/a.sources '# mirror
Types: deb
URIs: http://example.invalid/debian
Suites: bookworm
Components: main contrib
' sources.list.d/b.sources 'Types: deb-src
URIs: http://example.invalid/other
Suites: bookworm
Components: main
')
check "a deb-src stanza in any .sources file counts" velbrin_has_deb_src "$commented"
check "a stanza whose type line is not first is converted" \
    eval 'velbrin_deb_src_deb822 "$commented" | grep -qx "Types: deb-src" &&
          velbrin_deb_src_deb822 "$commented" | grep -qx "Components: main contrib"'
check "a stanza that is deb-src already is not copied" \
    test "$(velbrin_deb_src_deb822 "$commented" | grep -c '^Types:')" = 1

one_line=$(folder one-line sources.list '# deb-src http://deb.debian.org/debian bookworm main
deb [signed-by=/usr/share/keyrings/k.gpg] http://deb.debian.org/debian bookworm main
  deb http://deb.debian.org/debian-security bookworm-security main
#deb http://old.invalid/debian buster main
')
check "commented deb-src lines count as missing" eval '! velbrin_has_deb_src "$one_line"'
check "one-line entries again as deb-src, options kept, comments left out" \
    test "$(velbrin_deb_src_one_line "$one_line")" = 'deb-src [signed-by=/usr/share/keyrings/k.gpg] http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main'
printf 'deb-src http://deb.debian.org/debian bookworm main\n' >"$one_line/sources.list.d/src.list"
check "a deb-src line in a .list file counts" velbrin_has_deb_src "$one_line"

empty=$(folder empty)
check "an empty folder has no entries and nothing to convert" eval \
    '! velbrin_has_deb_src "$empty" && [ -z "$(velbrin_deb_src_deb822 "$empty")$(velbrin_deb_src_one_line "$empty")" ]'

# The cache folder is named after the upstream version alone: epoch, +dfsg, Debian revision and
# binary rebuilds all leave it alone, so the same Qt is found again.
unset VELBRIN_QT_WINDOWS
for row in "6.4.2+dfsg-10|qt-6.4.2-mingw-static" "6.4.2+dfsg-10+b1|qt-6.4.2-mingw-static" \
    "1:6.5.0-1|qt-6.5.0-mingw-static" "6.4.2~rc1-1|qt-6.4.2-mingw-static"; do
    version=${row%|*}
    check "cache folder for $version" \
        test "$(XDG_CACHE_HOME=/c velbrin_qt_windows_dir "$version")" = "/c/velbrin/${row#*|}"
done
check "without XDG_CACHE_HOME the folder is in ~/.cache" \
    test "$(XDG_CACHE_HOME='' HOME=/h velbrin_qt_windows_dir 6.4.2+dfsg-10)" = /h/.cache/velbrin/qt-6.4.2-mingw-static
check "VELBRIN_QT_WINDOWS names another folder" \
    test "$(VELBRIN_QT_WINDOWS=/elsewhere velbrin_qt_windows_dir 6.4.2+dfsg-10)" = /elsewhere

echo "$failures failed"
[ "$failures" -eq 0 ]
