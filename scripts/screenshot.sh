#!/usr/bin/env bash
# Draws the README's picture (docs/screenshot.png, or the file named as the
# first argument): the window under Xvfb with ten simulated units at the
# real line rate, during an Auto run of a 512 KB image, unit 3 failing on a
# damaged reply so that a red gauge shows too. The window saves its own
# picture (KORVEL_SCREENSHOT) and closes.
# KORVEL_SCREENSHOT_DELAY_MS (default 4000) is when, after the window shows.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KORVEL_BUILD_DIR:-build}
out=$(realpath -m "${1:-docs/screenshot.png}")
delay=${KORVEL_SCREENSHOT_DELAY_MS:-4000}
command -v xvfb-run >/dev/null || { echo "screenshot.sh: xvfb-run missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target korvelst korvelimg >/dev/null
korvelst=$(realpath "$build/src/ui/korvelst")
korvelimg=$(realpath "$build/src/tools/korvelimg/korvelimg")

# The program writes its logs into the folder it starts in: a scratch one.
work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-screenshot.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A fixed image, so the hex view looks the same from one picture to the next.
seq 1 100000 >"$work/app.bin"
truncate -s 524288 "$work/app.bin"
"$korvelimg" convert "$work/app.bin" "$work/app.hex" --offset 0x08000000 >/dev/null
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$work" && KORVEL_SCREENSHOT="$out:$delay" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$korvelst" --simulate 10 --sim-fault '*:wire' --sim-fault 3:badcrc=3 \
  --chip STM32F103xE --load app.hex --run auto >"$work/run.log" 2>&1) || {
  cat "$work/run.log" >&2
  echo "screenshot.sh: korvelst failed" >&2
  exit 1
}
[ -s "$out" ] || { echo "screenshot.sh: no picture was saved" >&2; exit 1; }
echo "$out ($(stat -c %s "$out") bytes)"
