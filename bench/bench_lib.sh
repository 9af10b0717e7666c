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

# Makes the tree the find benchmarks search in DIR: 200,000 entries, 20,000 folders in
# two levels with nine files in each, 27,085 of the files *.txt, spread evenly.
make_find_tree() {
  python3 - "$1" <<'PY'
import os, sys
root = sys.argv[1]
files, matches, k = 180_000, 27_085, 0
for a in range(100):
    top = os.path.join(root, f"t{a:02}")
    os.makedirs(top)
    for b in range(200):
        folder = top if b == 199 else os.path.join(top, f"s{b:03}")
        if b != 199:
            os.mkdir(folder)
        for f in range(9):
            # the *.txt files spread evenly over the whole tree
            txt = (k + 1) * matches // files != k * matches // files
            k += 1
            name = f"f{f}.txt" if txt else f"f{f}.{('dat', 'log', 'c', 'h')[f % 4]}"
            open(os.path.join(folder, name), "wb").close()
PY
}
