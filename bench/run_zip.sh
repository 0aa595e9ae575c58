#!/usr/bin/env bash
# Zipping deleted files: ZipWriter (every file committed and verified before it counts)
# against zip -q -r and the store-only zip -q -0 -r on the same trees of 5,000 and 50,000
# files of 16-24 KiB, with a warm cache. Wall and CPU (user + system) seconds; on a busy
# machine the CPU column is the steadier comparison. Trees are kept under $BENCH_WORK.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
COUNTS=${COUNTS:-"5000 50000"}
bin="$PWD/$BENCH_BUILD/bench/bench_zip"
[ -x "$bin" ] || cmake --build "$BENCH_BUILD" --target bench_zip -j2 >/dev/null
command -v zip >/dev/null || { echo "zip(1) is needed for the comparison" >&2; exit 1; }
mkdir -p "$BENCH_WORK"

# Runs a command, its output to $tree/out.txt; sets WALL and CPU.
timed() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" >"$tree/out.txt"; } 2>&1 )
  read -r WALL user sys <<<"$out"
  CPU=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
}
row() {  # what files wall cpu bytes zip_wall zip_cpu
  awk -v w="$1" -v n="$2" -v s="$3" -v c="$4" -v b="$5" -v zs="$6" -v zc="$7" 'BEGIN {
    printf "| %-28s | %6d | %7.2f | %7.2f | %8.0f | %7.1f | %6.2f | %6.2f |\n", w, n, s, c, n / s, b / 1048576, s / zs, c / zc }'
}

echo "| run                          |  files |  wall s |   cpu s |  files/s | zip MiB | x wall | x cpu  |"
echo "|------------------------------|--------|---------|---------|----------|---------|--------|--------|"
for count in $COUNTS; do
  tree="$BENCH_WORK/zip-$count"
  if [ ! -f "$tree.done" ]; then
    rm -rf "$tree"
    mkdir -p "$tree"
    "$bin" create "$tree/src" "$count"
    touch "$tree.done"
  fi
  find "$tree/src" -type f -exec cat {} + >/dev/null  # warm the cache
  cd "$tree"
  rm -f ref.zip store.zip roomvale.zip

  timed zip -q -r ref.zip src
  zw=$WALL zc=$CPU
  row "zip -q -r" "$count" "$WALL" "$CPU" "$(stat -c %s ref.zip)" "$zw" "$zc"

  timed zip -q -0 -r store.zip src
  row "zip -q -0 -r (store only)" "$count" "$WALL" "$CPU" "$(stat -c %s store.zip)" "$zw" "$zc"

  timed "$bin" run "$tree/src" "$tree/roomvale.zip"
  read -r files stored _ _ <"$tree/out.txt"
  [ "$stored" = "$files" ] || echo "only $stored of $files stored" >&2
  row "ZipWriter, stored+verified" "$count" "$WALL" "$CPU" "$(stat -c %s roomvale.zip)" "$zw" "$zc"
  unzip -tqq roomvale.zip >/dev/null || echo "unzip -t failed on $tree/roomvale.zip" >&2

  # The same with entries checked against the central directory only (no decompression).
  rm -f roomvale.zip
  timed "$bin" run "$tree/src" "$tree/roomvale.zip" no-read-back
  row "ZipWriter, no read-back" "$count" "$WALL" "$CPU" "$(stat -c %s roomvale.zip)" "$zw" "$zc"
  rm -f ref.zip store.zip roomvale.zip out.txt
  cd - >/dev/null
done
