#!/usr/bin/env bash
# Builds the Debian package for a line PC and prints the path of the .deb
# (alone on standard output, so deb=$(scripts/package.sh) works).
# The build folder is build-package, or $KORVEL_BUILD_DIR to reuse one.
# Extra arguments go to CMake, e.g. -DKORVEL_USB_IDS="0483:5740;1234:abcd".
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh >&2
build=${KORVEL_BUILD_DIR:-build-package}
config=(-DCMAKE_BUILD_TYPE=Release)
# A folder of its own needs neither the tests nor the benchmarks; a reused
# one keeps the options it was made with.
if [ ! -f "$build/CMakeCache.txt" ]; then
  config+=(-G Ninja -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF)
fi
cmake -S . -B "$build" "${config[@]}" "$@" >&2
cmake --build "$build" -j"$(nproc)" --target korvelst korvelsim korvelimg >&2
out=$build/deb
rm -f "$out"/*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >&2
debs=("$out"/*.deb)
[ -f "${debs[0]}" ] || { echo "package.sh: cpack made no .deb in $out" >&2; exit 1; }
realpath "${debs[0]}"
