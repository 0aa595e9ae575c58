#!/usr/bin/env bash
# File checksum throughput (bench_crc) on a 1 GiB file under $BENCH_WORK, reused between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
BENCH_BUILD=${BENCH_BUILD:-build-bench}
BENCH_WORK=${BENCH_WORK:-${TMPDIR:-/tmp}/roomvale-bench}
mkdir -p "$BENCH_WORK"
exe="$BENCH_BUILD/bench/bench_crc"
if [ ! -x "$exe" ]; then
  cmake --build "$BENCH_BUILD" --target bench_crc -j2 >/dev/null
fi
"$exe" "$BENCH_WORK/crc-1gib.bin"
