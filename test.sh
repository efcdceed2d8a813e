#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then
# builds the core libraries and their tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs those; any finding fails the run.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=${KORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600)

# The sanitizer build: no Qt window, no benchmarks. -O1 keeps it quick to
# build and to run; tests labelled no-sanitizer (too slow under ASan, or
# driving processes built without it) are left out.
asan=${KORVEL_ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
  -DKORVEL_BUILD_UI=OFF -DKORVEL_BUILD_BENCH=OFF -DKORVEL_SANITIZE=ON
cmake --build "$asan" -j"$(nproc)"
cd "$asan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:allocator_may_return_null=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$(nproc)" --timeout 900 -LE no-sanitizer
