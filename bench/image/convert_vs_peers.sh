#!/usr/bin/env bash
# Times `korvelimg convert` of a 2 MB image (Intel HEX and S37 to binary)
# against objcopy and srec_cat doing the same, whole process, and prints the
# median of several runs and the ratios. Usage: convert_vs_peers.sh KORVELIMG [RUNS]
set -euo pipefail
korvelimg=${1:?usage: $0 KORVELIMG [RUNS]}
[[ -n ${EPOCHREALTIME:-} ]] || { echo "$0: needs bash 5 or later" >&2; exit 1; }
runs=${2:-11}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

head -c $((2 * 1024 * 1024)) /dev/urandom > "$work/image.bin"
srec_cat "$work/image.bin" -binary -offset 0x08000000 -o "$work/image.hex" -intel
srec_cat "$work/image.bin" -binary -offset 0x08000000 -o "$work/image.s37" -motorola -address-length=4

# Median wall time in milliseconds of a command run $runs times. The clock
# is the shell's own: reading it through date(1) would add the start-up of
# another process, several milliseconds, to every time measured.
median_ms() {
  local times=()
  for ((i = 0; i < runs; i++)); do
    local start end
    start=${EPOCHREALTIME/[.,]/}
    "$@" > /dev/null 2>&1
    end=${EPOCHREALTIME/[.,]/}
    times+=($((10#$end - 10#$start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.2f", a[int((NR+1)/2)]/1000}'
}

check_same() {
  cmp -s "$work/image.bin" "$1" || { echo "output of $2 differs from the image" >&2; exit 1; }
}

report() {
  local name=$1 ours=$2 peer=$3 peer_name=$4
  awk -v n="$name" -v o="$ours" -v p="$peer" -v pn="$peer_name" \
    'BEGIN {printf "%-5s korvelimg %8.2f ms  %-8s %8.2f ms  ratio %5.1fx\n", n, o, pn, p, p / o}'
}

for fmt in hex s37; do
  in="$work/image.$fmt"
  "$korvelimg" convert "$in" "$work/ours.bin"
  check_same "$work/ours.bin" korvelimg
  ours=$(median_ms "$korvelimg" convert "$in" "$work/ours.bin")
  if [[ $fmt == hex ]]; then
    objcopy -I ihex -O binary "$in" "$work/objcopy.bin"
    check_same "$work/objcopy.bin" objcopy
    report "$fmt" "$ours" "$(median_ms objcopy -I ihex -O binary "$in" "$work/objcopy.bin")" objcopy
    peer_format=-intel
  else
    objcopy -I srec -O binary "$in" "$work/objcopy.bin"
    check_same "$work/objcopy.bin" objcopy
    report "$fmt" "$ours" "$(median_ms objcopy -I srec -O binary "$in" "$work/objcopy.bin")" objcopy
    peer_format=-motorola
  fi
  srec_cmd=(srec_cat "$in" "$peer_format" -offset -0x08000000 -o "$work/srec.bin" -binary)
  "${srec_cmd[@]}"
  check_same "$work/srec.bin" srec_cat
  report "$fmt" "$ours" "$(median_ms "${srec_cmd[@]}")" srec_cat
done
echo "(median of $runs runs each; ratio = peer time / korvelimg time, target >= 3x against objcopy)"
