#!/usr/bin/env bash
# The folder-hog walks and the files-by-date walk over the tree of 200,000 files in 5,000
# folders (bench/gen_tree.py), with a hot cache, each beside the standard tool doing the
# same work in the same run: the main-folders walk against du -sb on every main folder, the
# all-folders walk against du -Sb (every folder's own size), the files-by-date walk against
# find -newermt. Entries per second of whole processes (ours includes starting Qt), best
# of $RUNS runs each, the two of a pair taking turns.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
RUNS=${RUNS:-5}
bin="$BENCH_BUILD/bench/bench_folderdates"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_folderdates -j2 >/dev/null
mkdir -p "$BENCH_WORK"
tree="$BENCH_WORK/walk-tree"
python3 bench/gen_tree.py "$tree" 5000 200000

find "$tree" -printf '%s %T@\n' >/dev/null  # warm the caches
entries=$(find "$tree" -mindepth 1 | wc -l)
yesterday=$(date -d yesterday +%F)

seconds() {  # command...: wall seconds of one run
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  awk -v t=$((t1 - t0)) 'BEGIN { print t / 1e9 }'
}
pair() {  # label tool-label "our args" tool command...
  local label=$1 toolLabel=$2 args=$3
  shift 3
  local bestOurs="" bestTool="" s
  for _ in $(seq "$RUNS"); do
    # shellcheck disable=SC2086
    s=$(seconds "$bin" "$tree" 1 $args)
    if [ -z "$bestOurs" ] || awk -v a="$s" -v b="$bestOurs" 'BEGIN { exit !(a < b) }'; then bestOurs=$s; fi
    s=$(seconds "$@")
    if [ -z "$bestTool" ] || awk -v a="$s" -v b="$bestTool" 'BEGIN { exit !(a < b) }'; then bestTool=$s; fi
  done
  row "$label" "$bestOurs"
  row "$toolLabel" "$bestTool"
}
row() {  # name seconds
  N="$1" awk -v e="$entries" -v s="$2" 'BEGIN { printf "| %-48s | %8.3f | %10.0f |\n", ENVIRON["N"], s, e / s }'
}

echo "| $(printf "%-48s" "$entries entries, best of $RUNS") |   best s |  entries/s |"
echo "|--------------------------------------------------|----------|------------|"
pair "folder hogs, main-folders walk" "du -sb TREE/*/ (each main folder)" "main" du -sb "$tree"/*/
pair "folder hogs, all-folders walk" "du -Sb TREE" "all" du -Sb "$tree"
pair "files by date, modified on or after yesterday" "find TREE -type f -newermt yesterday" "after $yesterday" \
  find "$tree" -type f -newermt "$yesterday"
pair "files by date, modified on or before 2000-01-01" "find TREE -type f ! -newermt 2000-01-01" "before 2000-01-01" \
  find "$tree" -type f ! -newermt 2000-01-01
