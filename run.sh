#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program with ten
# simulated programmer units. Extra arguments go to the program.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the window is drawn on the
# offscreen platform: the program runs and mirrors its log on the terminal
# (--echo-log) until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=${KORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target korvelst
args=(--simulate 10)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
  args+=(--echo-log)
  echo "No display found: running on the offscreen platform; Ctrl+C ends the program."
fi
exec "$build/src/ui/korvelst" "${args[@]}" "$@"
