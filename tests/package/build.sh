#!/usr/bin/env bash
# Builds the Debian package as a release does: a source package of the tree in SOURCE_DIR as it
# stands (uncommitted changes and new files that git does not ignore included), then the .deb from
# it in a clean Debian 12 (velbrin_build_binary in scripts/common.sh, as root or with sudo). Where
# no minimal system can be made, the .deb is built by dpkg-buildpackage on this machine, without
# the build's tests, and the output says why. Leaves the package
# as WORK/velbrin.deb, and the source package and the .changes in WORK/debian.
#   build.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
source "$source_dir/scripts/common.sh"

version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
upstream=${version%-*}
out=$work/debian
rm -rf "$out" "$work/velbrin.deb"
mkdir -p "$out"
(cd "$source_dir" && git ls-files -z -co --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - --transform "s,^,velbrin-$upstream/," -cJf "$out/velbrin_$upstream.orig.tar.xz")
dsc=$(velbrin_source_package "$out/velbrin_$upstream.orig.tar.xz")

if velbrin_reach_debian_root; then
    velbrin_build_binary "$dsc" "$out"
else
    echo "built on this machine, not in a clean Debian 12: $velbrin_no_debian_root"
    (cd "$out" && dpkg-source -x "$dsc" build >/dev/null && cd build &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -b -us -uc >../build.log 2>&1) ||
        { tail -n 40 "$out/build.log" >&2; exit 1; }
    rm -rf "$out/build"
fi
deb=$out/velbrin_${version}_$(dpkg --print-architecture).deb
cp "$deb" "$work/velbrin.deb"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
