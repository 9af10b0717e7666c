#!/usr/bin/env bash
# Times the file-operation engine against cp -r on the same data in the same run:
# 300 MiB in 3,000 files across 30 folders, and one 1 GiB file. Each round runs both
# copies of both sets, paired and interleaved (the order alternates from round to
# round), on a warm cache and without a final sync; the copy is removed before the next.
#
#   bench/copy.sh [BUILD_DIR]
#
# The data lies in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}), so
# source and copies share one file system. BUILD_DIR (default build-bench in the source
# tree) is configured optimised (RelWithDebInfo) when its program is missing.
# Target: the engine takes at most 1.0 times cp's time.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
rounds="${BIVORA_BENCH_RUNS:-5}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_copy_bench "$build"
bench_workdir copy
mkdir "$work/tree" "$work/big" "$work/out"

echo "making the data in $work ..."
file_size=104858 # 300 MiB / 3,000
for d in $(seq -w 1 30); do
  mkdir "$work/tree/folder$d"
  head -c $((file_size * 100)) /dev/urandom | split -b "$file_size" -a 3 -d - "$work/tree/folder$d/file"
done
head -c 1G /dev/urandom >"$work/big/one.bin"

engine() { "$program" "$work/out" "$1"; }
cp_r() { cp -r "$1" "$work/out/"; }

# Wall time of one run in ms; the copy is checked and then removed.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
# Each timed copy starts with nothing left to write back from the one before (the sync
# is not timed): otherwise one tool pays for the other's pages.
clear_out() { rm -rf "$work/out" && mkdir "$work/out" && sync; }

declare -A times
for set in tree big; do
  engine "$work/$set"; clear_out; cp_r "$work/$set"; clear_out # warm the cache
  for round in $(seq "$rounds"); do
    if (( round % 2 )); then order="engine cp_r"; else order="cp_r engine"; fi
    for tool in $order; do
      ms=$(time_ms "$tool" "$work/$set")
      [ "$tool" = engine ] && diff -rq "$work/$set" "$work/out/$set" >/dev/null
      clear_out
      times[$set.$tool]+="$ms "
    done
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
for set in tree big; do
  e=$(median "${times[$set.engine]}")
  c=$(median "${times[$set.cp_r]}")
  label=$([ "$set" = tree ] && echo "300 MiB in 3,000 files" || echo "one 1 GiB file")
  awk -v l="$label" -v e="$e" -v c="$c" -v et="${times[$set.engine]}" -v ct="${times[$set.cp_r]}" 'BEGIN {
    printf "%-24s engine %6d ms   cp -r %6d ms   %.2fx cp (target <= 1.0x): %s\n", l, e, c, e / c, (e <= c ? "met" : "MISSED")
    printf "%-24s   rounds: engine %s/ cp %s\n", "", et, ct
    # The pairs of one round share the machine'"'"'s state: their ratio is the steadier figure.
    n = split(et, a, " "); split(ct, b, " ")
    for (i = 1; i <= n; i++) r[i] = a[i] / b[i]
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (r[j] < r[i]) { t = r[i]; r[i] = r[j]; r[j] = t }
    printf "%-24s   median of the paired ratios: %.2fx\n", "", r[int((n + 1) / 2)]
  }'
done
