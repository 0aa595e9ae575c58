#!/usr/bin/env bash
# Restoring archives: ZipRestorer against unzip -q of the same archive (made by ZipWriter
# from 5,000 and 50,000 files of 16-24 KiB), each into an empty folder, with a warm cache.
# Every pair runs $REPEAT times; the table gives the best wall and CPU (user + system)
# seconds of each, and their ratio. Trees and archives are kept under $BENCH_WORK.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
COUNTS=${COUNTS:-"5000 50000"}
REPEAT=${REPEAT:-3}
bin="$PWD/$BENCH_BUILD/bench/bench_unzip"
zipbin="$PWD/$BENCH_BUILD/bench/bench_zip"
[ -x "$bin" ] && [ -x "$zipbin" ] || cmake --build "$BENCH_BUILD" --target bench_unzip bench_zip -j2 >/dev/null
command -v unzip >/dev/null || { echo "unzip(1) is needed for the comparison" >&2; exit 1; }
mkdir -p "$BENCH_WORK"

# Runs a command; sets WALL and CPU.
timed() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null; } 2>&1 )
  read -r WALL user sys <<<"$out"
  CPU=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

echo "| run                   |  files | best wall s | best cpu s |  files/s | x wall | x cpu |"
echo "|-----------------------|--------|-------------|------------|----------|--------|-------|"
for count in $COUNTS; do
  tree="$BENCH_WORK/unzip-$count"
  if [ ! -f "$tree.done" ]; then
    rm -rf "$tree"
    mkdir -p "$tree"
    "$zipbin" create "$tree/src" "$count"
    "$zipbin" run "$tree/src" "$tree/archive.zip" >/dev/null
    touch "$tree.done"
  fi
  cat "$tree/archive.zip" >/dev/null  # warm the cache
  uw="" uc="" rw="" rc=""
  for _ in $(seq "$REPEAT"); do
    rm -rf "$tree/out-unzip" "$tree/out-rv"
    mkdir -p "$tree/out-unzip" "$tree/out-rv"
    timed unzip -q "$tree/archive.zip" -d "$tree/out-unzip"
    uw=$(min "$WALL" "$uw") uc=$(min "$CPU" "$uc")
    timed "$bin" "$tree/archive.zip" "$tree/out-rv"
    rw=$(min "$WALL" "$rw") rc=$(min "$CPU" "$rc")
  done
  diff -r "$tree/out-unzip" "$tree/out-rv" >/dev/null || echo "the restored trees differ" >&2
  awk -v n="$count" -v w="$uw" -v c="$uc" 'BEGIN {
    printf "| %-21s | %6d | %11.2f | %10.2f | %8.0f |        |       |\n", "unzip -q", n, w, c, n / w }'
  awk -v n="$count" -v w="$rw" -v c="$rc" -v uw="$uw" -v uc="$uc" 'BEGIN {
    printf "| %-21s | %6d | %11.2f | %10.2f | %8.0f | %6.2f | %5.2f |\n", "ZipRestorer", n, w, c, n / w, w / uw, c / uc }'
  rm -rf "$tree/out-unzip" "$tree/out-rv"
done
