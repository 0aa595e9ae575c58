#!/usr/bin/env bash
# A statistics collection over the walk benchmark's tree of 200,000 files in 5,000 folders
# (bench/gen_tree.py, kept under $BENCH_WORK), hot cache: files per second of the collection
# as the window runs it and without pumping, against find(1) printing the same fields of
# every entry (name, size, mode, three times). Then the memory of one collection of
# 1,000,000 files (the tree taken five times, as five targets). Best of $RUNS runs each.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
RUNS=${RUNS:-5}
bin="$BENCH_BUILD/bench/bench_stats"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_stats -j2 >/dev/null
mkdir -p "$BENCH_WORK"
tree="$BENCH_WORK/walk-tree"
python3 bench/gen_tree.py "$tree" 5000 200000

fields='%f %s %m %A@ %T@ %B@\n'
find "$tree" -printf "$fields" >/dev/null
"$bin" "$tree" 1 1 >/dev/null 2>&1

best_of() {  # command...: prints the best wall seconds of $RUNS runs
  local best="" t0 t1 t
  for _ in $(seq "$RUNS"); do
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    t=$((t1 - t0))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v t="$best" 'BEGIN { print t / 1e9 }'
}
row() {  # name files seconds
  N="$1" awk -v f="$2" -v s="$3" 'BEGIN { printf "| %-52s | %7d | %8.3f | %9.0f |\n", ENVIRON["N"], f, s, f / s }'
}

entries=$(find "$tree" -mindepth 1 | wc -l)
out="$BENCH_WORK/stats.out"
"$bin" "$tree" "$RUNS" 5 2> >(grep -v XDG_RUNTIME_DIR >&2) >"$out"
echo "| collection                                           |   files |   best s |   files/s |"
echo "|------------------------------------------------------|---------|----------|-----------|"
grep -v '^memory' "$out" | while IFS=$'\t' read -r name files secs; do row "$name" "$files" "$secs"; done
row "find TREE -printf '%f %s %m %A@ %T@ %B@' (entries)" "$entries" "$(best_of find "$tree" -printf "$fields")"
grep '^memory' "$out" | while IFS=$'\t' read -r _ files before after types; do
  echo
  echo "memory after collecting $files files: VmRSS $before KiB before, $after KiB after ($((after - before)) KiB more), $types types in the table"
done
