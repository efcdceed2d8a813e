#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60) with libFuzzer, starting
# from its seed corpus in fuzz/corpus/<target>, and prints per target the
# runs made and what was found. Inputs that crash or fail a check are saved
# in fuzz/findings/<target>/; copy them into the target's corpus once the
# fault is fixed, so the replay tests keep them as regressions.
# Installs clang and its libFuzzer runtime (Debian) when they are missing.
# Exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 64 ;; esac

./scripts/install-deps.sh
need=()
command -v clang++ >/dev/null 2>&1 || need+=(clang)
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 &&
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/*/libclang_rt.fuzzer*.a >/dev/null 2>&1; then
  version=$(clang++ --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
  need+=("libclang-rt-${version:-14}-dev")
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build=${KORVEL_FUZZ_BUILD_DIR:-build-fuzz}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  "${launcher[@]}" -DKORVEL_BUILD_UI=OFF -DKORVEL_BUILD_BENCH=OFF -DKORVEL_BUILD_TESTS=ON \
  -DKORVEL_FUZZ=ON >/dev/null
targets=$(sed -n 's/^korvel_fuzz_target(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
cmake --build "$build" -j"$(nproc)" --target $(for t in $targets; do echo "${t}_fuzzer"; done)

work=$(mktemp -d /tmp/korvel-fuzz-run.XXXXXX)
trap 'rm -rf "$work"' EXIT
found_any=0
printf '%-22s %12s %s\n' target runs found
for t in $targets; do
  corpus="$work/$t"
  mkdir -p "$corpus" "fuzz/findings/$t"
  cp fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  log="$work/$t.log"
  set +e
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/${t}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="fuzz/findings/$t/" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
  [ -z "$runs" ] && runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    found="nothing"
  else
    found_any=1
    what=$(grep -m1 -E 'ERROR: |check failed|runtime error|deadly signal|timeout' "$log" || echo "exit $status")
    saved=$(sed -n 's/.*Test unit written to \(.*\)/\1/p' "$log" | tail -1)
    found="$what${saved:+ -> $saved}"
  fi
  rmdir "fuzz/findings/$t" 2>/dev/null || true
  printf '%-22s %12s %s\n' "$t" "${runs:-0}" "$found"
done
rmdir fuzz/findings 2>/dev/null || true
exit $found_any
