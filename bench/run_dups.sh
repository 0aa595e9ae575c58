#!/usr/bin/env bash
# The duplicates engine as the window runs it ("Size only (CRC)", checksums and elimination,
# files of 1 byte or more) beside jdupes -r and jdupes -r -Q on the same seeded tree of real
# files (bench/gen_dups.py, 200,000 files under $BENCH_WORK, reused between runs), hot cache,
# all in one run; then whether our set of duplicate files equals jdupes's. Last, grouping
# and grid fill of 1,000,000 synthetic found files.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
FILES=${DUPS_FILES:-200000}
tree="$BENCH_WORK/dups-tree"
exe="$BENCH_BUILD/bench/bench_dups"
mkdir -p "$BENCH_WORK"
[ -x "$exe" ] || cmake --build "$BENCH_BUILD" --target bench_dups -j2 >/dev/null
command -v jdupes >/dev/null || { echo "jdupes is missing (apt-get install jdupes)"; exit 1; }
python3 bench/gen_dups.py "$tree" "$FILES"
tree=$(realpath "$tree")
# Hot cache: every file read once before anything is timed.
find "$tree" -type f -print0 | xargs -0 cat >/dev/null

timed() {  # prints wall seconds of the command, its output to $1
  local out=$1
  shift
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >"$out"
  t1=$(date +%s.%N)
  printf '%.2f' "$(echo "$t1 - $t0" | bc)"
}

ours=$BENCH_WORK/dups-ours.txt
oursh=$BENCH_WORK/dups-ours-hash.txt
echo "-- roomvale phases (walk, grouping, checksums with elimination)"
t_ours=$(timed "$BENCH_WORK/dups-ours.log" "$exe" tree "$tree" "$ours" bytes)
t_oursh=$(timed "$BENCH_WORK/dups-ours-hash.log" "$exe" tree "$tree" "$oursh" hash128)
cat "$BENCH_WORK/dups-ours.log" "$BENCH_WORK/dups-ours-hash.log"
t_jd=$(timed "$BENCH_WORK/dups-jdupes.txt" jdupes -r "$tree")
t_jdq=$(timed "$BENCH_WORK/dups-jdupes-q.txt" jdupes -r -Q "$tree" 2>/dev/null)
grep -v '^$' "$BENCH_WORK/dups-jdupes.txt" | sort >"$BENCH_WORK/dups-jdupes.sorted"
grep -v '^$' "$BENCH_WORK/dups-jdupes-q.txt" | sort >"$BENCH_WORK/dups-jdupes-q.sorted"
same() { cmp -s "$1" "$2" && echo yes || echo NO; }
printf '%-44s %8s %12s %s\n' "tool" "seconds" "duplicates" "same set as jdupes -r"
printf '%-44s %8s %12s %s\n' "roomvale, twins compared byte for byte" "$t_ours" "$(wc -l <"$ours")" "$(same "$ours" "$BENCH_WORK/dups-jdupes.sorted")"
printf '%-44s %8s %12s %s\n' "roomvale, twins by 128-bit hash" "$t_oursh" "$(wc -l <"$oursh")" "$(same "$oursh" "$BENCH_WORK/dups-jdupes.sorted")"
printf '%-44s %8s %12s %s\n' "jdupes -r" "$t_jd" "$(wc -l <"$BENCH_WORK/dups-jdupes.sorted")" "-"
printf '%-44s %8s %12s %s\n' "jdupes -r -Q" "$t_jdq" "$(wc -l <"$BENCH_WORK/dups-jdupes-q.sorted")" "$(same "$BENCH_WORK/dups-jdupes-q.sorted" "$BENCH_WORK/dups-jdupes.sorted")"
echo "-- grouping and grid fill"
"$exe" rows 1000000
