#!/usr/bin/env bash
# Builds the .deb the way a release is built: a release configuration of its own (no tests, no
# benchmarks) in WORK/build, then cpack. Leaves the package as WORK/velbrin.deb.
#   build.sh SOURCE_DIR WORK_DIR GENERATOR CXX_COMPILER
set -euo pipefail
source_dir=$1 work=$2 generator=$3 compiler=$4

cmake -S "$source_dir" -B "$work/build" -G "$generator" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVELBRIN_BENCH=OFF -DVELBRIN_FUZZ=OFF
cmake --build "$work/build" -j2
rm -f "$work"/build/*.deb "$work/velbrin.deb"
(cd "$work/build" && cpack -G DEB)

debs=("$work"/build/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "cpack made ${#debs[@]} packages" >&2; exit 1; }
cp "${debs[0]}" "$work/velbrin.deb"
echo "$(basename "${debs[0]}"): $(stat -c %s "${debs[0]}") bytes"
