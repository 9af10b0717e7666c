#!/usr/bin/env bash
# Times the content search (Containing text) against grep -rlF on the same files in the
# same run: 1 GiB in 2,000 files in one folder, 20 of which hold the text and 100 of
# which are binary. Each round runs both, paired and interleaved (the order alternates
# from round to round), on a warm cache; both must name the same 20 files.
#
#   bench/grep.sh [BUILD_DIR]
#
# The data lies in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}).
# BUILD_DIR (default build-bench in the source tree) is configured optimised
# (RelWithDebInfo) when its program is missing. BIVORA_BENCH_THREADS sets how many
# files are searched at once (default: one per core); BIVORA_BENCH_NOCASE=1 searches
# without regard to case, against grep -rliF.
# Target: at most 1.0 times grep's time; the goal is 0.5 times.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
rounds="${BIVORA_BENCH_RUNS:-5}"
threads="${BIVORA_BENCH_THREADS:-$(nproc)}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_grep_bench "$build"
bench_workdir grep
mkdir "$work/data"
text='Needle-of-the-haystack!' # '-' and '!' never occur in base64

echo "making the data in $work ..."
file_size=536870 # 1 GiB / 2,000
# 1,900 text files of base64 lines, then 100 of random bytes
head -c $((file_size * 1900 * 3 / 4)) /dev/urandom | base64 -w 99 | split -b "$file_size" -a 4 -d - "$work/data/text"
ls "$work/data" | sort | tail -n +1901 | (cd "$work/data" && xargs -r rm -f)
head -c $((file_size * 100)) /dev/urandom | split -b "$file_size" -a 3 -d - "$work/data/bin"
ls "$work/data" | grep '^text' | shuf -n 20 --random-source=<(yes) | while read -r name; do
  printf ' %s\n' "$text" >>"$work/data/$name"
done
expected="$(ls "$work/data" | grep -c .) files"

if [ "${BIVORA_BENCH_NOCASE:-0}" = 1 ]; then case_arg=nocase grep_flags=-rliF; else case_arg=case grep_flags=-rlF; fi
engine() { "$program" "$work/data" "$text" "$threads" "$case_arg"; }
grep_rl() { grep "$grep_flags" "$text" "$work/data"; }

# Wall time of one run in ms; its list of files is left in $work/found.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" | sort >"$work/found"
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}

engine >/dev/null; grep_rl >/dev/null # warm the cache
times_e="" times_g=""
for round in $(seq "$rounds"); do
  if (( round % 2 )); then order="engine grep_rl"; else order="grep_rl engine"; fi
  for tool in $order; do
    ms=$(time_ms "$tool")
    count=$(wc -l <"$work/found")
    if [ "$count" -ne 20 ]; then echo "$tool found $count files, not 20" >&2; exit 1; fi
    if [ "$tool" = engine ]; then times_e+="$ms "; else times_g+="$ms "; fi
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
e=$(median "$times_e")
g=$(median "$times_g")
awk -v l="1 GiB in $expected, $threads at once, grep $grep_flags" -v e="$e" -v g="$g" -v et="$times_e" -v gt="$times_g" 'BEGIN {
  printf "%s: search %d ms   grep %d ms   %.2fx grep (target <= 1.0x, goal 0.5x): %s\n", l, e, g, e / g, (e <= g ? "met" : "MISSED")
  printf "  rounds: search %s/ grep %s\n", et, gt
  n = split(et, a, " "); split(gt, b, " ")
  for (i = 1; i <= n; i++) r[i] = a[i] / b[i]
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (r[j] < r[i]) { t = r[i]; r[i] = r[j]; r[j] = t }
  printf "  median of the paired ratios: %.2fx\n", r[int((n + 1) / 2)]
}'
