#!/usr/bin/env bash
# What scripts/build-qt-windows decides before it builds: the deb-src entries it adds when an APT
# configuration has none (over configuration folders of the test's making), and the cache folder
# for a Debian version; and what scripts/debian-root takes of this machine's APT configuration for
# another release, and where it agrees to keep its systems. Prints one line per check; fails on
# any failure.
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

# The entries of a cloud image (a mirror list), a local mirror in one-line form with options, and
# entries that are not Debian's or not of this release, seen from bookworm for trixie.
cloud=$(folder cloud sources.list.d/debian.sources 'Types: deb
URIs: mirror+file:///etc/apt/mirrors/debian.list
Suites: bookworm bookworm-updates bookworm-backports
Components: main

Types: deb
URIs: mirror+file:///etc/apt/mirrors/debian-security.list
Suites: bookworm-security
Components: main

Types: deb
Enabled: no
URIs: http://off.invalid/debian
Suites: bookworm
Components: main
' sources.list.d/vendor.sources 'Types: deb
URIs: https://vendor.invalid/apt
Suites: nodistro
Components: main
Signed-By: /usr/share/keyrings/vendor.gpg
' sources.list 'deb [ arch=amd64 signed-by=/srv/k.gpg ] file:/srv/mirror bookworm main contrib # local
deb http://archive.invalid/debian bookworm-backports main
deb-src http://archive.invalid/debian bookworm main
deb https://cloud.invalid/apt cloud-sdk-bookworm main
')
check "deb822: this release's suites renamed, URIs and components kept, the rest left out" \
    test "$(velbrin_apt_deb822 "$cloud" bookworm trixie)" = 'Types: deb
URIs: mirror+file:///etc/apt/mirrors/debian.list
Suites: trixie trixie-updates
Components: main

Types: deb
URIs: mirror+file:///etc/apt/mirrors/debian-security.list
Suites: trixie-security
Components: main'
check "deb822 with deb-src: both types in each stanza" \
    test "$(velbrin_apt_deb822 "$cloud" bookworm trixie deb-src | grep -c '^Types: deb deb-src$')" = 2
check "one-line: options kept, only this release's entries" \
    test "$(velbrin_apt_one_line "$cloud" bookworm trixie deb-src)" = 'deb [ arch=amd64 signed-by=/srv/k.gpg ] file:/srv/mirror trixie main contrib
deb-src [ arch=amd64 signed-by=/srv/k.gpg ] file:/srv/mirror trixie main contrib'
velbrin_apt_deb822 "$cloud" bookworm trixie >"$work/out.sources"
velbrin_apt_one_line "$cloud" bookworm trixie >"$work/out.list"
check "the mirror lists and keyrings the entries name go along" \
    test "$(velbrin_apt_files "$work/out.sources" "$work/out.list" "$debian/sources.list.d/debian.sources")" = '/etc/apt/mirrors/debian-security.list
/etc/apt/mirrors/debian.list
/srv/k.gpg
/usr/share/keyrings/debian-archive-keyring.gpg'
# A deb822-only machine (as Debian 12's cloud images): no one-line file, entries that name no
# file; under pipefail, as the scripts run them, that is no entry and no failure.
check "no one-line file and no named file: nothing, and no failure" bash -euo pipefail -c '
    source "$1/scripts/common.sh"
    one_line=$(velbrin_apt_one_line "$2" bookworm trixie) && files=$(velbrin_apt_files /dev/null) &&
        [ -z "$one_line$files" ]
' check "$(dirname "$0")/../.." "$debian"

# APT's proxies (also per host) go along to the systems; options of this machine's own use do not.
printf '%s\n' 'Acquire::http::Proxy "http://proxy.invalid:3128";' 'Acquire::Retries "7";' \
    'Acquire::http::Proxy::deb.debian.org "DIRECT";' 'Acquire::https::Proxy "http://proxy.invalid:3129";' >"$work/apt.conf"
options=$(APT_CONFIG=$work/apt.conf velbrin_apt_options)
check "proxies go along" test "$(grep -c Proxy <<<"$options")" = 3
check "other options stay" eval '! grep -q Retries <<<"$options"'

# A clone reached through a symbolic link knows itself by its real path, the one bound into systems.
ln -s "$(cd "$(dirname "$0")/../.." && pwd -P)" "$work/link to clone"
check "the clone's folder is its real path" test "$(bash -c 'source "$1/scripts/common.sh" && echo "$VELBRIN_ROOT"' \
    - "$work/link to clone")" = "$VELBRIN_ROOT"

# Only folders that root alone can write, all the way up, may hold systems that root enters.
for row in "/usr/share|ok" "$work/systems|refused" "/tmp|refused"; do
    if velbrin_root_only_folder "${row%|*}" 2>/dev/null; then result=ok; else result=refused; fi
    check "folder for systems ${row%|*}: ${row#*|}" test "$result" = "${row#*|}"
done

echo "$failures failed"
[ "$failures" -eq 0 ]
