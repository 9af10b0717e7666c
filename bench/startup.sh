#!/usr/bin/env bash
# Times start-up with a start folder of many entries in both panes: when the main
# window is first painted and when both panes are filled, from the start of main.
#
#   bench/startup.sh [BUILD_DIR] [ENTRIES]
#
# BUILD_DIR (default build-bench in the source tree) is configured with the benchmarks
# and built optimised (RelWithDebInfo) when its program is missing. Target: the window
# painted within 200 ms whatever the folder's size.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-bench}"
entries="${2:-100000}"
runs="${BIVORA_BENCH_RUNS:-3}"
program="$build/bench/bivora_startup_bench"

if [ ! -x "$program" ]; then
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBIVORA_BUILD_BENCH=ON -DBIVORA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target bivora_startup_bench --parallel "${BIVORA_JOBS:-2}" >/dev/null
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/bivora-startup-XXXXXX")"
trap 'rm -rf "$work"' EXIT
folder="$work/folder"
mkdir "$folder"
echo "making $entries entries in $folder ..."
(cd "$folder" && seq -f 'file %06g.txt' 1 "$entries" | tr '\n' '\0' | xargs -0 touch)

shown=() settled=()
for _ in $(seq "$runs"); do
  out=$(BIVORA_BENCH_DIR="$folder" "$program" 2>/dev/null)
  shown+=("$(awk '$1 == "shown_ms" { print $2 }' <<<"$out")")
  settled+=("$(awk '$1 == "settled_ms" { print $2 }' <<<"$out")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
s=$(median "${shown[@]}")
t=$(median "${settled[@]}")
awk -v s="$s" -v t="$t" 'BEGIN {
  printf "window first painted   %8.1f ms   (target <= 200): %s\n", s, (s <= 200 ? "met" : "MISSED")
  printf "both panes filled      %8.1f ms\n", t
}'
