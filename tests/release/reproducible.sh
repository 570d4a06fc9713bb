#!/usr/bin/env bash
# Two releases of one commit, made by scripts/release in two clones one after the other, must be the
# same to the byte, and each folder's SHA256SUMS must check. Between the two differs all that must
# not matter: the folder, the time zone, the locale, the umask, TMPDIR, the folder of Qt for Windows
# (a copy), the environment the packers, CMake and the compilers read, an exported shell function
# in place of a packer, and the clone's own git attributes. The source package's .deb is built in a
# folder named after TMPDIR, a path with a space the second time, where dpkg-buildflags maps
# nothing. Takes two whole release builds (about half an hour); as root, to make the second locale
# when it is missing and the clean Debian 12 of the .deb.
#   reproducible.sh SOURCE_DIR WORK_DIR
# Releases the commit checked out in SOURCE_DIR; uncommitted changes there are not part of it.
set -euo pipefail
source_dir=$1 work=$2
source "$source_dir/scripts/common.sh"

commit=$(git -C "$source_dir" rev-parse HEAD)
rm -rf "$work"
mkdir -p "$work/tmp" "$work/temporary files"
# A locale that does not exist falls back to C without a word: the second one must be there.
velbrin_ensure_locale zh_CN GB18030
locale -a | grep -qx zh_CN.gb18030 || { echo "FAIL: no locale zh_CN.GB18030" >&2; exit 1; }
release() { # clone folder, then the environment of the run
    local clone=$1
    shift
    git clone -q "$source_dir" "$clone"
    git -C "$clone" checkout -q --detach "$commit"
    [ -z "${ATTRIBUTES:-}" ] ||
        echo "$ATTRIBUTES" >"$(git -C "$clone" rev-parse --path-format=absolute --git-path info/attributes)"
    (cd "$clone" && env "$@" bash -c 'umask "$UMASK" && scripts/release release')
}
release "$work/one/velbrin" UMASK=022 TZ=UTC LC_ALL=C.UTF-8 TMPDIR="$work/tmp"
# Qt's installs are relocatable: the second release takes a copy at another path.
cp -a "$(bash "$source_dir/scripts/build-qt-windows" --print)" "$work/Qt for Windows"
ATTRIBUTES=$'*.md eol=crlf\nstats/* export-ignore' release "$work/two/a longer folder/v" \
    'BASH_FUNC_xz%%=() { /usr/bin/xz -0 "$@"; }' UMASK=077 TZ=Asia/Shanghai LC_ALL=zh_CN.GB18030 \
    TMPDIR="$work/temporary files" VELBRIN_QT_WINDOWS="$work/Qt for Windows" \
    XZ_OPT=--check=sha256 XZ_DEFAULTS=-e GZIP=--rsyncable ZIPOPT=-9 ZIP=-1 SOURCE_DATE_EPOCH=1 \
    FAKETIME_START_AFTER_SECONDS=100 CXXFLAGS=-fno-inline LDFLAGS=-Wl,--build-id=none

one=$work/one/velbrin/release two="$work/two/a longer folder/v/release"
status=0
for folder in "$one" "$two"; do
    (cd "$folder" && sha256sum -c SHA256SUMS) || status=1
done
if ! diff "$one/SHA256SUMS" "$two/SHA256SUMS"; then
    echo "FAIL: the two releases differ" >&2
    status=1
fi
exit $status
