#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UBSan) and runs each for a
# fixed time from its seed corpus in fuzz/corpus/<target>/ (the seeds are only read; new
# inputs go to a scratch folder). Prints the executions of each target; fails on the first
# crash, leaving the input that caused it in $FUZZ_WORK.
# Usage: fuzz/run.sh [seconds per target, default 20] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
work=${FUZZ_WORK:-${TMPDIR:-/tmp}/roomvale-fuzz}
jobs=${FUZZ_BUILD_JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROOMVALE_FUZZ=ON \
  -DROOMVALE_TESTS=OFF -DROOMVALE_BENCH=OFF "${launcher[@]}" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp | sed 's/^fuzz_//')"); done
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}" >/dev/null
mkdir -p "$work"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
printf '%-16s %12s %10s\n' target executions per-second
for t in "${targets[@]}"; do
  scratch="$work/$t"
  rm -rf "$scratch"
  mkdir -p "$scratch/corpus"
  log="$scratch/log.txt"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$scratch/" "$scratch/corpus" "fuzz/corpus/$t" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$t failed; the input is in $scratch/" >&2
    exit 1
  fi
  runs=$(awk '/stat::number_of_executed_units/{print $2}' "$log")
  printf '%-16s %12s %10s\n' "$t" "$runs" "$((runs / seconds))"
done
