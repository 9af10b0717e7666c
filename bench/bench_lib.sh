# Shared by the benchmark scripts; sourced after "here" names the source tree.

# Sets $program to the benchmark program NAME in BUILD_DIR, building that directory
# optimised (RelWithDebInfo) when the program is missing.
bench_program() {
  local name="$1" build="$2"
  program="$build/bench/$name"
  if [ ! -x "$program" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBIVORA_BUILD_BENCH=ON -DBIVORA_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target "$name" --parallel "${BIVORA_JOBS:-2}" >/dev/null
  fi
}

# Sets $work to a new folder for LABEL under $BENCH_DIR (default: the temporary
# directory), so that the data and its copies share one file system; removed at exit.
bench_workdir() {
  work="$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/bivora-$1-XXXXXX")"
  trap 'rm -rf "$work"' EXIT
}
