#!/usr/bin/env bash
# Times expanding a folder of many sub-folders in the folder tree against
# find DIR -mindepth 1 -maxdepth 1 -type d on the same folder, in the same run, and
# reports the longest stall of the GUI thread while the rows arrive.
#
#   bench/tree.sh [BUILD_DIR] [FOLDERS]
#
# FOLDERS (default 10000) sub-folders are made in a folder under $BENCH_DIR (default:
# the temporary directory). BUILD_DIR (default build-bench in the source tree) is
# configured optimised (RelWithDebInfo) when its program is missing.
# Target: the expand takes at most 1.5 times find's time.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
folders="${2:-10000}"
runs="${BIVORA_BENCH_RUNS:-7}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_tree_bench "$build"
bench_workdir tree

echo "making $folders folders in $work/data ..."
mkdir "$work/data"
(cd "$work/data" && seq -f 'folder %06g' 1 "$folders" | tr '\n' '\0' | xargs -0 mkdir)

# Median of the wall times (ms) of running a command $runs times, after one warm-up.
median_ms() {
  "$@" >/dev/null
  local times=() start end
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=("$(( (end - start) / 1000 ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'
}

find_ms=$(median_ms find "$work/data" -mindepth 1 -maxdepth 1 -type d)
report=$(BIVORA_BENCH_DIR="$work/data" BIVORA_BENCH_RUNS="$runs" "$program" 2>/dev/null)
pick() { awk -v name="$1" '$1 == name { print $2 }' <<<"$report"; }
awk -v f="$find_ms" -v n="$(pick rows)" -v e="$(pick expand_ms)" -v s="$(pick stall_ms)" -v w="$(pick worst_stall_ms)" 'BEGIN {
  printf "rows                              %d\n", n
  printf "find -mindepth 1 -maxdepth 1 -type d %8.1f ms\n", f
  printf "expand to every row present       %8.1f ms   %.2fx find  (target <= 1.5x): %s\n", e, e / f, (e <= 1.5 * f ? "met" : "MISSED")
  printf "longest GUI stall (median run)    %8.1f ms\n", s
  printf "longest GUI stall (worst run)     %8.1f ms\n", w
}'
