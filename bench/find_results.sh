#!/usr/bin/env bash
# Times the find results window:
#  - from Find to the last row painted, for "*.txt" over the tree of find.sh (200,000
#    entries, 20,000 folders, 27,085 *.txt), against find DIR -name '*.txt' in paired
#    rounds of the same run (target: at most 1.2 times find's time);
#  - a list of ROWS (default 1,000,000) rows: appending them in batches, scrolling to the
#    bottom, sorting by each column, in each view style (target: each under 0.5 s).
#
#   bench/find_results.sh [BUILD_DIR] [ROWS]
#
# The tree lies in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}).
# BUILD_DIR (default build-bench in the source tree) is configured optimised
# (RelWithDebInfo) when its program is missing. BIVORA_BENCH_ONLY=search or =rows runs
# one half; BIVORA_BENCH_STYLES picks the view styles (default "details list small large").
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
rows="${2:-1000000}"
only="${BIVORA_BENCH_ONLY:-}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_find_results_bench "$build"

if [ "$only" != rows ]; then
  bench_workdir find-results
  echo "making the tree in $work/tree ..."
  make_find_tree "$work/tree"
  report=$("$program" search "$work/tree" '*.txt' 2>/dev/null)
  echo "$report" | sed 's/^/  /'
  pick() { awk -v name="$1" '$1 == name { print $2 }' <<<"$report"; }
  awk -v w="$(pick window_ms)" -v f="$(pick find_ms)" -v r="$(pick ratio)" -v n="$(pick rows)" 'BEGIN {
    printf "from Find to the last row, %d rows: %.0f ms   find %.0f ms   %.2fx paired (target <= 1.2x): %s\n",
      n, w, f, r, (r <= 1.2 ? "met" : "MISSED")
  }'
fi

if [ "$only" != search ]; then
  "$program" rows "$rows" 2>/dev/null | awk '
    NF == 3 { printf "  %-8s %-20s %9.1f ms%s\n", $1, $2, $3, ($2 != "longest_stall_ms" && $3 >= 500 ? "   MISSED (target < 500 ms)" : "") ; next }
    { print }'
fi
