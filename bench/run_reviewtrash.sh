#!/usr/bin/env bash
# Trashing through the deletion review window against `gio trash` (libglib2.0-bin) on the
# same 20,000 files of 1 KiB in 40 folders (and against moving them one by one with each info
# file synced alone, as the trash did before its batches), each run on a freshly made copy, and trashing a
# folder tree of 10,000 nested levels (one file each) with TreeDeleter. Wall seconds, best of
# $RUNS. The trash is a private one under $BENCH_WORK (HOME and XDG_DATA_HOME), emptied
# between runs; the real home is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
COUNT=${COUNT:-20000}
LEVELS=${LEVELS:-10000}
RUNS=${RUNS:-3}
bin="$PWD/$BENCH_BUILD/bench/bench_reviewtrash"
tree="$PWD/$BENCH_BUILD/bench/bench_treedelete"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_reviewtrash -j2 >/dev/null
[ -x "$tree" ] || cmake --build "$BENCH_BUILD" --target bench_treedelete -j2 >/dev/null
command -v gio >/dev/null || { echo "gio (libglib2.0-bin) is needed for the comparison" >&2; exit 1; }
work="$BENCH_WORK/reviewtrash"
rm -rf "$work"
mkdir -p "$work/home" "$work/xdg" "$work/config"
export HOME="$work/home" XDG_DATA_HOME="$work/xdg" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen

"$bin" create "$work/template" "$COUNT"
fresh() { rm -rf "$work/src" "$XDG_DATA_HOME/Trash"; cp -a "$work/template" "$work/src"; sync; }
seconds() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  awk -v t=$((t1 - t0)) 'BEGIN { printf "%.3f", t / 1e9 }'
}
best() {  # prepare command...
  local prep=$1 b="" s
  shift
  for _ in $(seq "$RUNS"); do
    $prep
    s=$(seconds "$@")
    if [ -z "$b" ] || awk -v a="$s" -v b="$b" 'BEGIN { exit !(a < b) }'; then b=$s; fi
  done
  echo "$b"
}
row() { awk -v w="$1" -v n="$2" -v s="$3" 'BEGIN { printf "| %-36s | %6d | %8.3f | %9.0f |\n", w, n, s, n / s }'; }
left() { find "$work/src" -type f | wc -l; }

echo "| run                                  |  files |   best s |   files/s |"
echo "|--------------------------------------|--------|----------|-----------|"
gio_all() { find "$work/src" -type f -print0 | xargs -0 -n 2000 gio trash; }
row "gio trash (find | xargs)" "$COUNT" "$(best fresh gio_all)"
[ "$(left)" = 0 ] || echo "gio left files" >&2
review() { "$bin" run "$work/src"; }
row "review window, Trash" "$COUNT" "$(best fresh review)"
[ "$(left)" = 0 ] || echo "the review left files" >&2
single() { "$bin" single "$work/src"; }
row "one by one, each info synced alone" "$COUNT" "$(best fresh single)"
[ "$(left)" = 0 ] || echo "files left one by one" >&2
deep() { rm -rf "$work/deep" "$XDG_DATA_HOME/Trash"; "$tree" deepfiles "$work/deep" "$LEVELS"; sync; }
row "TreeDeleter trash, $LEVELS levels" "$LEVELS" "$(best deep "$tree" run recycle "$work/deep")"
rm -rf "$work"
