#!/usr/bin/env bash
# The viewer on a 2 GiB text file beside wc -l and grep -c, and the browser on a folder of
# 100,000 files (bench_inspect). VIEW_BYTES and BROWSE_FILES change the sizes.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
exe="$BENCH_BUILD/bench/bench_inspect"
if [ ! -x "$exe" ]; then
  cmake --build "$BENCH_BUILD" --target bench_inspect -j2 >/dev/null
fi
mkdir -p "$BENCH_WORK/inspect"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$exe" "$BENCH_WORK/inspect" "${VIEW_BYTES:-2147483648}" "${BROWSE_FILES:-100000}"
