#!/usr/bin/env bash
# The shared walk over a tree of 200,000 files in 5,000 folders (bench/gen_tree.py, kept
# under $BENCH_WORK), with a hot cache: files per second of the walk with its pumping and
# status line on and off, against find(1) printing size and two times of every entry, and
# du -s. Best of $RUNS runs each.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
RUNS=${RUNS:-5}
bin="$BENCH_BUILD/bench/bench_walk"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_walk -j2 >/dev/null
mkdir -p "$BENCH_WORK"
tree="$BENCH_WORK/walk-tree"
python3 bench/gen_tree.py "$tree" 5000 200000

# Warm the dentry and inode caches.
find "$tree" -printf '%s %A@ %T@\n' >/dev/null
"$bin" "$tree" 1 >/dev/null 2>&1

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
  N="$1" awk -v f="$2" -v s="$3" 'BEGIN { printf "| %-40s | %7d | %8.3f | %9.0f |\n", ENVIRON["N"], f, s, f / s }'
}

entries=$(find "$tree" -mindepth 1 | wc -l)
echo "| walk                                     |   files |   best s |   files/s |"
echo "|------------------------------------------|---------|----------|-----------|"
"$bin" "$tree" "$RUNS" 2> >(grep -v XDG_RUNTIME_DIR >&2) | while IFS=$'\t' read -r name files secs; do
  row "$name" "$files" "$secs"
done
row "find TREE -printf '%s %A@ %T@' (entries)" "$entries" "$(best_of find "$tree" -printf '%s %A@ %T@\n')"
row "du -s TREE (entries)" "$entries" "$(best_of du -s "$tree")"
