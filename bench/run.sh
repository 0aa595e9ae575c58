#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs every bench/run_*.sh in turn; each prints its
# own table. Usage: bench/run.sh [name ...]   (e.g. bench/run.sh crc walk)
set -euo pipefail
cd "$(dirname "$0")/.."
export BENCH_BUILD=${BENCH_BUILD:-build-bench}
export BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
cmake -S . -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DROOMVALE_TESTS=OFF >/dev/null
cmake --build "$BENCH_BUILD" >/dev/null
mkdir -p "$BENCH_WORK"
scripts=()
if [ $# -eq 0 ]; then
  scripts=(bench/run_*.sh)
else
  for n in "$@"; do scripts+=("bench/run_$n.sh"); done
fi
for s in "${scripts[@]}"; do
  [ -f "$s" ] || continue
  echo "== $(basename "$s" .sh | sed 's/^run_//')"
  bash "$s"
  echo
done
