#!/usr/bin/env bash
# Runs every fuzz target for a set number of executions, one after another
# (each takes a whole core), under ASan and UBSan, and ends with a table of
# executions and findings per target. Exits non-zero when any target found
# something.
#
#   bash scripts/fuzz-long.sh [target...]     RUNS=n sets the executions (10^7)
#
# MAX_SECONDS=s stops each target after s seconds even short of RUNS, for a
# machine that cannot spare the hours; the table says what did run.
#
# Each target keeps its growing corpus in build/fuzz-long/<target>/corpus, so
# a second run starts where the first stopped; a hand-made seed corpus in
# tests/fuzz/corpus/<target> is read too. What a target finds is written to
# build/fuzz-long/<target>/findings, its output to build/fuzz-long/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-10000000}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz-long: RUNS must be a positive whole number, not \"$runs\"." >&2
  exit 2
fi
max_seconds=${MAX_SECONDS:-0}
if ! [[ $max_seconds =~ ^[0-9]+$ ]]; then
  echo "fuzz-long: MAX_SECONDS must be a whole number of seconds, not \"$max_seconds\"." >&2
  exit 2
fi

all=$(cd tests/fuzz && ls *.cpp 2>/dev/null | sed 's/\.cpp$//')
targets=${*:-$all}
for t in $targets; do
  if ! grep -qx "$t" <<<"$all"; then
    echo "fuzz-long: there is no fuzz target \"$t\" in tests/fuzz." >&2
    exit 2
  fi
done
[ -n "$targets" ] || { echo "fuzz-long: tests/fuzz holds no fuzz targets." >&2; exit 2; }

# Sanitizer reports name functions and lines when a symbolizer is at hand
# (the runtime does not find one on the PATH by itself).
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && command -v llvm-symbolizer >/dev/null; then
  ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer)
  export ASAN_SYMBOLIZER_PATH
fi

cmake --preset fuzz >/dev/null
# shellcheck disable=SC2086
cmake --build --preset fuzz -j "$(nproc)" --target $targets

out=build/fuzz-long
mkdir -p "$out"
rows=()
status=0
for t in $targets; do
  mkdir -p "$out/$t/corpus" "$out/$t/findings"
  seeds=()
  [ -d "tests/fuzz/corpus/$t" ] && seeds=("tests/fuzz/corpus/$t")
  stamp=$(mktemp)
  echo "fuzz-long: $t, $runs executions ($(date '+%H:%M:%S'))"
  start=$(date +%s)
  # An input that takes half a minute is a hang, not a slow machine.
  rc=0
  "build/fuzz/$t" -runs="$runs" -max_total_time="$max_seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$out/$t/findings/" "$out/$t/corpus" "${seeds[@]}" >"$out/$t.log" 2>&1 || rc=$?
  seconds=$(($(date +%s) - start))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$out/$t.log" | tail -1)
  findings=$(find "$out/$t/findings" -type f -newer "$stamp" | wc -l)
  rm -f "$stamp"
  # A crash that left no file (a sanitizer report, a killed process) still counts.
  if [ "$rc" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  if [ "$findings" -ne 0 ]; then
    status=1
    echo "fuzz-long: $t FOUND something (exit $rc), see $out/$t.log and $out/$t/findings"
  fi
  rows+=("$(printf '%-20s %12s %9s %8s %9s' "$t" "${execs:-?}" "${rate:-?}" "$seconds" "$findings")")
done

{
  echo
  limit=""
  [ "$max_seconds" -gt 0 ] && limit=", at most $max_seconds s each"
  echo "fuzz-long: $(date '+%Y-%m-%d %H:%M'), $runs executions asked per target$limit, ASan + UBSan"
  printf '%-20s %12s %9s %8s %9s\n' target executions exec/s seconds findings
  printf '%s\n' "${rows[@]}"
} | tee "$out/summary.txt"
exit $status
