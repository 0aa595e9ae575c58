#!/usr/bin/env bash
# Safe Harbor: protection query throughput, and a build over this machine's /etc and
# /usr/share/applications. Prints two tables.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
bin="$BENCH_BUILD/bench/bench_safeharbor"
if [ ! -x "$bin" ]; then
  cmake -S . -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DROOMVALE_TESTS=OFF >/dev/null
  cmake --build "$BENCH_BUILD" --target bench_safeharbor -j2 >/dev/null
fi
work="$BENCH_WORK/safeharbor"
mkdir -p "$work"
echo "Protection query (isInSafeHarbor):"
"$bin" query "$work"
echo
echo "Build over /etc and /usr/share/applications:"
"$bin" build "$work" 2>/dev/null
