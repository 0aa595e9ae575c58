#!/usr/bin/env bash
# Removing a folder tree: TreeDeleter (delete, trash, zip and delete) against rm -rf and
# zip -q -r -m on fresh trees of 20,000 files of 4 KiB in 200 folders, and on a chain of
# 10,000 nested folders. Best wall seconds of $RUNS runs, each on a newly made tree. The trash
# is a private one under $BENCH_WORK (XDG_DATA_HOME), emptied between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
RUNS=${RUNS:-3}
bin="$PWD/$BENCH_BUILD/bench/bench_treedelete"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_treedelete -j2 >/dev/null
work="$BENCH_WORK/treedelete"
rm -rf "$work"
mkdir -p "$work/xdg"
export XDG_DATA_HOME="$work/xdg"

make_tree() {  # kind
  rm -rf "$work/tree" "$work/out.zip"
  if [ "$1" = deep ]; then "$bin" deep "$work/tree" 10000; else "$bin" create "$work/tree" 200 100 4096; fi
  sync
}
seconds() {  # command...: wall seconds
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  awk -v t=$((t1 - t0)) 'BEGIN { printf "%.4f", t / 1e9 }'
}
best() {  # kind command...: best seconds over RUNS fresh trees
  local kind=$1 b="" s
  shift
  for _ in $(seq "$RUNS"); do
    make_tree "$kind"
    s=$(seconds "$@")
    [ -d "$work/tree" ] && [ "$kind" != zipkeep ] && echo "tree left behind by: $*" >&2
    rm -rf "$XDG_DATA_HOME/Trash"
    if [ -z "$b" ] || awk -v a="$s" -v b="$b" 'BEGIN { exit !(a < b) }'; then b=$s; fi
  done
  echo "$b"
}
row() {  # what files seconds
  awk -v w="$1" -v n="$2" -v s="$3" 'BEGIN { printf "| %-34s | %6d | %8.3f | %9.0f |\n", w, n, s, n / s }'
}

echo "| run                                |  files |   best s |   files/s |"
echo "|------------------------------------|--------|----------|-----------|"
row "rm -rf" 20000 "$(best flat rm -rf "$work/tree")"
row "TreeDeleter, delete" 20000 "$(best flat "$bin" run delete "$work/tree")"
row "TreeDeleter, trash" 20000 "$(best flat "$bin" run recycle "$work/tree")"
row "zip -q -r -m (zip, then delete)" 20000 "$(best flat zip -q -r -m "$work/out.zip" "$work/tree")"
row "TreeDeleter, zip and delete" 20000 "$(best flat "$bin" run zipdelete "$work/tree" "$work/out.zip")"
row "rm -rf, 10,000 levels" 1 "$(best deep rm -rf "$work/tree")"
row "TreeDeleter, delete, 10,000 levels" 1 "$(best deep "$bin" run delete "$work/tree")"
rm -rf "$work"
