#!/usr/bin/env bash
# The Linux suite on the Debian release this machine does not run: Debian 13 on a Debian 12 host,
# Debian 12 on a Debian 13 host. In a minimal system of that release with the build and test
# packages (scripts/debian-root: made once, kept up to date, changes thrown away), this tree is
# built in build/CODENAME and every test runs there but the Windows half and the labels release,
# other-debian, package and debian (the .deb is built in a clean Debian 12 and tested in minimal
# systems of both releases from the host); the label windows too, unless the system has the
# Windows tools (Debian 13, which the Windows half shares: a Debian 12 host does not install
# them). The system has mount, process and network namespaces of its own: nothing it mounts or
# starts, X displays included, outlives it or meets the host's.
#   run.sh SOURCE_DIR
# As root, or as a user with sudo that does not ask (scripts/debian-root).
set -uo pipefail
source=$(cd "$1" && pwd -P)
source "$source/scripts/common.sh"
velbrin_reach_debian_root || { echo "skipped: $velbrin_no_debian_root"; exit 77; }
host=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
case $host in
bookworm) other=trixie ;;
trixie) other=bookworm ;;
*) echo "skipped: no other release known for '$host'"; exit 77 ;;
esac
# Debian 13's is the system of the Windows half too: one system, not two.
sets=(run test) leave_out='release|other-debian|package|debian|windows'
if [ "$other" = "$VELBRIN_WINDOWS_CODENAME" ]; then
    sets+=(windows) leave_out='release|other-debian|package|debian'
fi
echo "the suite on Debian $other"
exec "${velbrin_debian_root[@]}" --scratch --no-network --bind "$source" "$other" "${sets[@]}" -- \
    bash -euc '
        cd "$1"
        source scripts/common.sh
        velbrin_ensure_locale de_DE UTF-8
        velbrin_ensure_locale zh_CN UTF-8
        build=build/$2
        cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >"$build.log" || { cat "$build.log"; exit 1; }
        cmake --build "$build" -j2 >>"$build.log" || { tail -n 60 "$build.log"; exit 1; }
        ctest --test-dir "$build" -j2 --output-on-failure --timeout 600 --no-tests=error \
            -LE "^($3)$"
    ' other-debian "$source" "$other" "$leave_out"
