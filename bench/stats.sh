#!/usr/bin/env bash
# Times the folder statistics against du -sx on the same tree of 200,000 entries
# (2,000 folders in two levels, 99 small files in each) in the same run: paired rounds
# on a warm cache, the order alternating from round to round.
#
#   bench/stats.sh [BUILD_DIR]
#
# The tree lies in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}).
# BUILD_DIR (default build-bench in the source tree) is configured optimised
# (RelWithDebInfo) when its program is missing.
# Target: the statistics take at most 1.0 times du's time.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
rounds="${BIVORA_BENCH_RUNS:-7}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_stats_bench "$build"
bench_workdir stats

echo "making the tree in $work ..."
python3 - "$work/data" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(40):
    for b in range(50):
        folder = os.path.join(root, f"a{a:02}", f"b{b:02}")
        os.makedirs(folder)
        for f in range(99):
            with open(os.path.join(folder, f"f{f:02}"), "wb") as out:
                out.write(b"x" * (f * 37 % 3000))
PY
entries=$(find "$work/data" -mindepth 1 | wc -l)

stats() { "$program" "$work/data" >/dev/null; }
du_sx() { du -sx "$work/data" >/dev/null; }
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

echo "statistics: $("$program" "$work/data")"
echo "du -sx --apparent-size: $(du -sx --apparent-size -B1 "$work/data" | cut -f1) bytes (folders included)"
stats; du_sx # warm the cache
times_s="" times_d=""
for round in $(seq "$rounds"); do
  if (( round % 2 )); then order="stats du_sx"; else order="du_sx stats"; fi
  for tool in $order; do
    ms=$(time_ms "$tool")
    if [ "$tool" = stats ]; then times_s+="$ms "; else times_d+="$ms "; fi
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
s=$(median "$times_s")
d=$(median "$times_d")
awk -v l="$entries entries" -v s="$s" -v d="$d" -v st="$times_s" -v dt="$times_d" 'BEGIN {
  printf "%s: statistics %d ms   du -sx %d ms   %.2fx du (target <= 1.0x): %s\n", l, s, d, (d ? s / d : 0), (s <= d ? "met" : "MISSED")
  printf "  rounds: statistics %s/ du %s\n", st, dt
}'
