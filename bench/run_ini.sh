#!/usr/bin/env bash
# Settings file reading (bench_ini): 25,000 and 200,000 sections beside one section of the
# same size, files under $BENCH_WORK.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
mkdir -p "$BENCH_WORK/ini"
exe="$BENCH_BUILD/bench/bench_ini"
if [ ! -x "$exe" ]; then
  cmake --build "$BENCH_BUILD" --target bench_ini -j2 >/dev/null
fi
"$exe" "$BENCH_WORK/ini" "$@"
