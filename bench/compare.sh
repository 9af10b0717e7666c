#!/usr/bin/env bash
# Times Sync on Content's file comparison against cmp on the same two 512 MiB files
# that differ in their last byte, in the same run: paired rounds on a warm cache, the
# order alternating from round to round.
#
#   bench/compare.sh [BUILD_DIR]
#
# The files lie in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}).
# BUILD_DIR (default build-bench in the source tree) is configured optimised
# (RelWithDebInfo) when its program is missing.
# Target: the comparison takes at most 1.1 times cmp's time.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
rounds="${BIVORA_BENCH_RUNS:-7}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_compare_bench "$build"
bench_workdir compare

echo "making the data in $work ..."
head -c 512M /dev/urandom >"$work/a"
cp "$work/a" "$work/b"
last=$(tail -c 1 "$work/a" | od -An -tu1 | tr -d ' ')
printf "\\$(printf '%03o' $(( (last + 1) % 256 )))" | dd of="$work/b" bs=1 seek=$((512 * 1024 * 1024 - 1)) conv=notrunc status=none

engine() { [ "$("$program" "$work/a" "$work/b" || true)" = differ ]; }
cmp_s() { ! cmp -s "$work/a" "$work/b"; }

time_ms() {
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

engine; cmp_s # warm the cache, and check both find the difference
declare -A times
for round in $(seq "$rounds"); do
  if (( round % 2 )); then order="engine cmp_s"; else order="cmp_s engine"; fi
  for tool in $order; do
    times[$tool]+="$(time_ms "$tool") "
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
e=$(median "${times[engine]}")
c=$(median "${times[cmp_s]}")
echo "compare: ${times[engine]}ms (median $e)"
echo "cmp:     ${times[cmp_s]}ms (median $c)"
awk -v e="$e" -v c="$c" 'BEGIN { printf "ratio: %.2f (target at most 1.1)\n", e / c }'
