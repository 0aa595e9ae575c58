#!/usr/bin/env bash
# The deletion review's actions against the command-line tools on the same files.
#  - Delete: the review's delete action on 10,000 files of 16-24 KiB (listed and put in panel
#    order first) against rm -r and against rm over a find list; each run on a fresh copy.
#  - Zip then delete: the review's zip action (every file committed, verified, then deleted)
#    against zip -q -r (archive only) and zip -q -r -m (archive, then delete) on 5,000 and
#    50,000 files of 16-24 KiB, each on a fresh copy.
# Wall and CPU (user + system) seconds, best of $REPS runs for the delete rows; the CPU column
# is the steadier comparison on a busy machine. Templates are kept under $BENCH_WORK.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
DELETE_COUNT=${DELETE_COUNT:-10000}
ZIP_COUNTS=${ZIP_COUNTS:-"5000 50000"}
REPS=${REPS:-3}
bin="$PWD/$BENCH_BUILD/bench/bench_delete"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_delete -j2 >/dev/null
command -v zip >/dev/null || { echo "zip(1) is needed for the comparison" >&2; exit 1; }
mkdir -p "$BENCH_WORK"

# Runs a command in $work with its output to $work/out.txt; sets WALL and CPU.
timed() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" >"$work/out.txt"; } 2>&1 )
  read -r WALL user sys <<<"$out"
  CPU=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
# A template tree of $1 files, made once.
template() {
  local t="$BENCH_WORK/delete-tree-$1"
  if [ ! -f "$t.done" ]; then
    rm -rf "$t"
    "$bin" create "$t" "$1" 16 24
    touch "$t.done"
  fi
  echo "$t"
}
fresh() {  # a fresh copy of template $1 at $work/src, with a warm cache
  rm -rf "$work/src" "$work/zips"
  cp -a "$1" "$work/src"
  mkdir -p "$work/zips"
  find "$work/src" -type f -exec cat {} + >/dev/null
}
left() { if [ -d "$work/src" ]; then find "$work/src" -type f | wc -l; else echo 0; fi; }
row() {  # what files wall cpu ref_wall ref_cpu
  awk -v w="$1" -v n="$2" -v s="$3" -v c="$4" -v rs="$5" -v rc="$6" 'BEGIN {
    printf "| %-34s | %6d | %7.2f | %7.2f | %8.0f | %6.2f | %6.2f |\n", w, n, s, c, n / s, s / rs, c / rc }'
}
best() {  # runs "$@" $REPS times on fresh copies; sets WALL and CPU to the best
  local bw="" bc=""
  for _ in $(seq "$REPS"); do
    fresh "$tpl"
    timed "$@"
    [ "$(left)" = 0 ] || echo "files left after: $*" >&2
    if [ -z "$bw" ] || awk -v a="$WALL" -v b="$bw" 'BEGIN { exit !(a < b) }'; then bw=$WALL; fi
    if [ -z "$bc" ] || awk -v a="$CPU" -v b="$bc" 'BEGIN { exit !(a < b) }'; then bc=$CPU; fi
  done
  WALL=$bw CPU=$bc
}

work="$BENCH_WORK/delete-work"
mkdir -p "$work"
cd "$work"

echo "| run                                |  files |  wall s |   cpu s |  files/s | x wall | x cpu  |"
echo "|------------------------------------|--------|---------|---------|----------|--------|--------|"

tpl=$(template "$DELETE_COUNT")
best rm -r src/
rw=$WALL rc=$CPU
row "rm -r" "$DELETE_COUNT" "$WALL" "$CPU" "$rw" "$rc"
best bash -c 'find src -type f -print0 | xargs -0 rm -f --'
row "find | xargs rm" "$DELETE_COUNT" "$WALL" "$CPU" "$rw" "$rc"
best "$bin" delete src
row "review delete (x rm -r)" "$DELETE_COUNT" "$WALL" "$CPU" "$rw" "$rc"

for count in $ZIP_COUNTS; do
  tpl=$(template "$count")
  fresh "$tpl"
  timed zip -q -r zips/ref.zip src
  zw=$WALL zc=$CPU
  row "zip -q -r (keeps the files)" "$count" "$WALL" "$CPU" "$zw" "$zc"

  fresh "$tpl"
  timed zip -q -r -m zips/ref.zip src
  row "zip -q -r -m (then deletes)" "$count" "$WALL" "$CPU" "$zw" "$zc"

  fresh "$tpl"
  timed "$bin" zip src zips
  read -r files zipped _ <"$work/out.txt"
  [ "$zipped" = "$files" ] || echo "only $zipped of $files zipped and deleted" >&2
  [ "$(left)" = 0 ] || echo "files left after the review's zip run" >&2
  for a in zips/*.zip; do unzip -tqq "$a" >/dev/null || echo "unzip -t failed on $a" >&2; done
  row "review zip+delete (x zip -q -r)" "$count" "$WALL" "$CPU" "$zw" "$zc"
done
rm -rf "$work"
