#!/usr/bin/env bash
# The folder-hog walks and the files-by-date walk over the tree of 200,000 files in 5,000
# folders (bench/gen_tree.py), with a hot cache, each beside the standard tool doing the
# same work in the same run: the main-folders walk against du -sb on every main folder, the
# all-folders walk against du -Sb (every folder's own size), the files-by-date walk against
# find -newermt. Entries per second of whole processes (ours includes starting Qt), by wall
# time and by processor time (user + system, less swayed by a busy machine), best of $RUNS
# runs each, the two of a pair taking turns.
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

measure() {  # command...: "wall cpu" seconds of one run (cpu = user + system)
  /usr/bin/time -f "%e %U %S" -o "$BENCH_WORK/time.txt" "$@" >/dev/null 2>&1
  awk '{ print $1, $2 + $3 }' "$BENCH_WORK/time.txt"
}
best() {  # "wall cpu" "wall cpu": the smaller of each
  awk -v a="$1" -v b="$2" 'BEGIN { split(a, x, " "); split(b, y, " "); if (a == "") { print b; exit }
    print (x[1] < y[1] ? x[1] : y[1]), (x[2] < y[2] ? x[2] : y[2]) }'
}
pair() {  # label tool-label "our args" tool command...
  local label=$1 toolLabel=$2 args=$3
  shift 3
  local bestOurs="" bestTool=""
  for _ in $(seq "$RUNS"); do
    # shellcheck disable=SC2086
    bestOurs=$(best "$bestOurs" "$(measure "$bin" "$tree" 1 $args)")
    bestTool=$(best "$bestTool" "$(measure "$@")")
  done
  row "$label" $bestOurs
  row "$toolLabel" $bestTool
}
row() {  # name wall cpu
  N="$1" awk -v e="$entries" -v s="$2" -v c="$3" \
    'BEGIN { printf "| %-48s | %7.3f | %9.0f | %7.3f | %9.0f |\n", ENVIRON["N"], s, e / s, c, e / c }'
}

echo "| $(printf "%-48s" "$entries entries, best of $RUNS") |  wall s | entries/s |   cpu s | entries/s |"
echo "|--------------------------------------------------|---------|-----------|---------|-----------|"
pair "folder hogs, main-folders walk" "du -sb TREE/*/ (each main folder)" "main" du -sb "$tree"/*/
pair "folder hogs, all-folders walk" "du -Sb TREE" "all" du -Sb "$tree"
pair "files by date, modified on or after yesterday" "find TREE -type f -newermt yesterday" "after $yesterday" \
  find "$tree" -type f -newermt "$yesterday"
pair "files by date, modified on or before 2000-01-01" "find TREE -type f ! -newermt 2000-01-01" "before 2000-01-01" \
  find "$tree" -type f ! -newermt 2000-01-01
