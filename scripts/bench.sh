#!/usr/bin/env bash
# make bench: builds the optimised benchmarks, runs the core group on the
# host and the program group under Wine on a virtual display, then prints
# one table of every figure beside its reference from the same run and
# writes that table into docs/performance.md. Every figure is a ratio to a
# reference measured in the same run, so a busy machine slows both sides.
#
# Takes long: opening 100 MiB in Wine's Rich Edit takes minutes, and it is
# done by both programs, three times each. NIMBOL_BENCH_OPEN_ROUNDS and the
# other variables below make a shorter run for trying things out.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
results=build/bench/results

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs" --target core_bench
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target nimbol bare_richedit program_bench store_bench

rm -rf "$results"
mkdir -p "$results"

echo "Core group (host)..."
build/bench/core_bench --benchmark_repetitions="${NIMBOL_BENCH_REPETITIONS:-9}" \
  --benchmark_enable_random_interleaving=true --benchmark_min_time=0.2 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$results/core.json"

. scripts/wine-env.sh
WINEPREFIX=$(mktemp -d /tmp/nimbol-bench-wine.XXXXXX)
export WINEPREFIX
trap 'nimbol_wine_stop; rm -rf "$WINEPREFIX"' EXIT
export NIMBOL_BENCH_RESULTS="$PWD/$results"
echo "Program group (Wine)..."
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . scripts/wine-env.sh
  nimbol_wine_prefix
  cd build/windows
  "$WINE64" store_bench.exe "${NIMBOL_BENCH_STORE_ROUNDS:-5}" >"$NIMBOL_BENCH_RESULTS/store.txt"
  "$WINE64" program_bench.exe --start-rounds "${NIMBOL_BENCH_START_ROUNDS:-9}" \
    --key-rounds "${NIMBOL_BENCH_KEY_ROUNDS:-5}" --typing-mib "${NIMBOL_BENCH_TYPING_MIB:-50}" \
    --open-rounds "${NIMBOL_BENCH_OPEN_ROUNDS:-3}" --saves "${NIMBOL_BENCH_SAVES:-2}" \
    --open-mib "${NIMBOL_BENCH_OPEN_MIB:-100}" >"$NIMBOL_BENCH_RESULTS/program.txt"
  wine_version=$("$WINE64" --version 2>/dev/null || true)
  echo "$wine_version" >"$NIMBOL_BENCH_RESULTS/wine.txt"
  nimbol_wine_stop'

python3 scripts/bench_table.py "$results" docs/performance.md
