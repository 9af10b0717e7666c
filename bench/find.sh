#!/usr/bin/env bash
# Times the find-files search against find and grep in the same run, in paired rounds on
# a warm cache, the order alternating from round to round:
#  - by name: "*.txt" over a tree of 200,000 entries (20,000 folders in two levels, nine
#    files in each, 27,085 of them *.txt) against find DIR -name '*.txt';
#  - by content: every file holding a text, over SIZE_MB (default 1024) in 2,000 files
#    (20 folders of 100; 20 files hold the text, 100 are binary) against grep -rlF.
# Both sides must name the same number of entries.
#
#   bench/find.sh [BUILD_DIR] [SIZE_MB]
#
# The data lies in $BENCH_DIR (default: a temporary folder under ${TMPDIR:-/tmp}).
# BUILD_DIR (default build-bench in the source tree) is configured optimised
# (RelWithDebInfo) when its program is missing. BIVORA_BENCH_ONLY=names or =text runs
# one half.
# Targets: by name at most 1.2 times find's time; by content at most 1.0 times grep's.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
size_mb="${2:-1024}"
rounds="${BIVORA_BENCH_RUNS:-7}"
only="${BIVORA_BENCH_ONLY:-}"
# shellcheck source=bench/bench_lib.sh
source "$here/bench/bench_lib.sh"
bench_program bivora_find_bench "$build"
bench_workdir find

# Wall time of one run in ms; its output is left in $work/found.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >"$work/found" 2>/dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# compare LABEL TARGET EXPECTED OURS THEIRS: paired rounds of the two commands
compare() {
  local label="$1" target="$2" expected="$3" ours="$4" theirs="$5" times_o="" times_t="" order tool ms count
  "$ours" >/dev/null 2>&1; "$theirs" >/dev/null 2>&1 # warm the cache
  for round in $(seq "$rounds"); do
    if (( round % 2 )); then order="$ours $theirs"; else order="$theirs $ours"; fi
    for tool in $order; do
      ms=$(time_ms "$tool")
      count=$(wc -l <"$work/found")
      if [ "$count" -ne "$expected" ]; then echo "$tool found $count entries, not $expected" >&2; exit 1; fi
      if [ "$tool" = "$ours" ]; then times_o+="$ms "; else times_t+="$ms "; fi
    done
  done
  local o t
  o=$(median "$times_o")
  t=$(median "$times_t")
  awk -v l="$label" -v o="$o" -v t="$t" -v ot="$times_o" -v tt="$times_t" -v g="$target" -v n="$theirs" 'BEGIN {
    printf "%s: search %d ms   %s %d ms   %.2fx (target <= %.1fx): %s\n", l, o, n, t, o / t, g, (o <= g * t ? "met" : "MISSED")
    printf "  rounds: search %s/ %s %s\n", ot, n, tt
    k = split(ot, a, " "); split(tt, b, " ")
    for (i = 1; i <= k; i++) r[i] = a[i] / b[i]
    for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (r[j] < r[i]) { x = r[i]; r[i] = r[j]; r[j] = x }
    printf "  median of the paired ratios: %.2fx\n", r[int((k + 1) / 2)]
  }'
}

if [ "$only" != text ]; then
  echo "making the tree in $work/tree ..."
  make_find_tree "$work/tree"
  entries=$(find "$work/tree" -mindepth 1 | wc -l)
  folders=$(find "$work/tree" -mindepth 1 -type d | wc -l)
  txt=$(find "$work/tree" -name '*.txt' | wc -l)
  by_name() { "$program" "$work/tree" '*.txt'; }
  find_name() { find "$work/tree" -name '*.txt'; }
  compare "by name, $entries entries, $folders folders, $txt *.txt" 1.2 "$txt" by_name find_name
fi

if [ "$only" != names ]; then
  echo "making $size_mb MB in 2,000 files in $work/text ..."
  text='Needle-of-the-haystack!' # '-' and '!' never occur in base64
  file_size=$(( size_mb * 1024 * 1024 / 2000 ))
  mkdir -p "$work/text"
  for d in $(seq -w 0 19); do mkdir "$work/text/d$d"; done
  # 1,900 text files of base64 lines, then 100 of random bytes, 100 to a folder
  head -c $(( file_size * 1900 * 3 / 4 )) /dev/urandom | base64 -w 99 | split -b "$file_size" -a 4 -d - "$work/text/t"
  ls "$work/text" | grep '^t' | sort | tail -n +1901 | (cd "$work/text" && xargs -r rm -f)
  head -c $(( file_size * 100 )) /dev/urandom | split -b "$file_size" -a 3 -d - "$work/text/b"
  i=0
  for f in "$work/text"/t* "$work/text"/b*; do
    mv "$f" "$work/text/d$(printf %02d $(( i % 20 )))/"
    i=$(( i + 1 ))
  done
  find "$work/text" -name 't*' | sort | shuf -n 20 --random-source=<(yes) | while read -r path; do
    printf ' %s\n' "$text" >>"$path"
  done
  by_text() { "$program" "$work/text" '' "$text"; }
  grep_rl() { grep -rlF "$text" "$work/text"; }
  compare "by content, $size_mb MB in $(find "$work/text" -type f | wc -l) files" 1.0 20 by_text grep_rl
fi
