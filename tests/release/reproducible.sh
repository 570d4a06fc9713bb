#!/usr/bin/env bash
# Two releases of one commit, made by scripts/release in two clones in different folders, one after
# the other, under different time zones, locales and umasks, must be the same to the byte, and each
# folder's SHA256SUMS must check. Takes two whole release builds (about ten minutes).
#   reproducible.sh SOURCE_DIR WORK_DIR
# Releases the commit checked out in SOURCE_DIR; uncommitted changes there are not part of it.
set -euo pipefail
source_dir=$1 work=$2

commit=$(git -C "$source_dir" rev-parse HEAD)
rm -rf "$work"
mkdir -p "$work"
release() { # clone folder, then the environment of the run
    local clone=$1
    shift
    git clone -q "$source_dir" "$clone"
    git -C "$clone" checkout -q --detach "$commit"
    (cd "$clone" && env "$@" bash -c 'umask "$UMASK" && scripts/release release')
}
release "$work/one/velbrin" UMASK=022 TZ=UTC LC_ALL=C.UTF-8
release "$work/two/a longer folder/v" UMASK=077 TZ=Asia/Shanghai LC_ALL=zh_CN.UTF-8

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
