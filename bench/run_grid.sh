#!/usr/bin/env bash
# The result grid with a million rows (bench_grid): fill, sorts, mark all, memory per row.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
exe="$BENCH_BUILD/bench/bench_grid"
if [ ! -x "$exe" ]; then
  cmake --build "$BENCH_BUILD" --target bench_grid -j2 >/dev/null
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$exe" "${GRID_ROWS:-1000000}"
