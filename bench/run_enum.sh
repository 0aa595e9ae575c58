#!/usr/bin/env bash
# Enumeration of one folder of 100,000 small files: DirReader against find(1), entries/s,
# best of several runs with a warm cache.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
RUNS=${RUNS:-7}
COUNT=100000
bin="$BENCH_BUILD/bench/bench_enum"
[ -x "$bin" ] || { echo "missing $bin (run bench/run.sh enum)" >&2; exit 1; }

dir="$BENCH_WORK/enum-$COUNT"
if [ ! -f "$dir.done" ]; then
  rm -rf "$dir"
  mkdir -p "$dir"
  "$bin" create "$dir" "$COUNT"
  touch "$dir.done"
fi
# Warm the dentry and inode caches.
find "$dir" -maxdepth 1 -printf '%s\n' >/dev/null
"$bin" read "$dir" '*.*' 0x3F 1 >/dev/null

row() {  # name entries seconds
  awk -v n="$1" -v e="$2" -v s="$3" 'BEGIN { printf "| %-44s | %8d | %8.4f | %12.0f |\n", n, e, s, e / s }'
}

echo "| reader                                       |  entries |   best s |    entries/s |"
echo "|----------------------------------------------|----------|----------|--------------|"
read -r n s _ < <("$bin" read "$dir" '*.*' 0x3F "$RUNS")
row 'DirReader "*.*" 0x3F (all attributes)' "$n" "$s"
read -r n s _ < <("$bin" read "$dir" '*.*' 0x10 "$RUNS")
row 'DirReader "*.*" 0x10 (sub-folder listing)' "$n" "$s"
# Nothing matches: every name is read and rejected before any stat (entries = names read).
read -r _ s _ < <("$bin" read "$dir" '*.tmp' 0x2B "$RUNS")
row 'DirReader "*.tmp" 0x2B (no match, no stat)' "$COUNT" "$s"

best=""
for _ in $(seq "$RUNS"); do
  t0=$(date +%s%N)
  find "$dir" -maxdepth 1 -printf '%s\n' >/dev/null
  t1=$(date +%s%N)
  t=$((t1 - t0))
  if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
done
n=$(find "$dir" -maxdepth 1 -mindepth 1 | wc -l)
row "find DIR -maxdepth 1 -printf %s" "$n" "$(awk -v t="$best" 'BEGIN { print t / 1e9 }')"
