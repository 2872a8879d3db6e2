#!/usr/bin/env bash
# Builds both presets and runs every test: the host unit tests under the
# sanitizers, then the Windows test programs under Wine on a virtual display.
# Ends with one line of totals read from the test programs' own reports.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

rm -rf build/host/results build/windows/results
status=0
ctest --preset host || status=1

. scripts/wine-env.sh
WINEPREFIX=$(mktemp -d /tmp/nimbol-wine.XXXXXX)
export WINEPREFIX
trap 'nimbol_wine_stop; rm -rf "$WINEPREFIX"' EXIT
# In a network of their own, where the update host is this machine: the
# update test stands in for the update server, and nothing reaches outside.
update_host=$(sed -n 's/^NIMBOL_UPDATE_HOST:STRING=//p' build/windows/CMakeCache.txt)
bash scripts/private-net.sh "$update_host" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  . scripts/wine-env.sh
  nimbol_wine_prefix
  ctest --preset windows
  rc=$?
  # ctest keeps the output of passing tests to itself; the crash test says
  # how many kills it survived, and that belongs in the log.
  grep -h "^CrashSafety:" build/windows/Testing/Temporary/LastTest.log 2>/dev/null || true
  nimbol_wine_stop
  exit $rc' || status=1

# Every reader of outside bytes gets a short fuzzing run; a crash fails.
cmake --preset fuzz >/dev/null
fuzzers=$(cd tests/fuzz && ls *.cpp 2>/dev/null | sed 's/\.cpp$//')
if [ -n "$fuzzers" ]; then
  cmake --build --preset fuzz -j "$jobs" --target $fuzzers
  mkdir -p build/fuzz/results
  for f in $fuzzers; do
    if build/fuzz/$f -max_total_time="${NIMBOL_FUZZ_SECONDS:-15}" -print_final_stats=0 \
        >build/fuzz/results/$f.log 2>&1; then
      echo "fuzz $f: passed"
    else
      echo "fuzz $f: FAILED (see build/fuzz/results/$f.log)"
      status=1
    fi
  done
fi

python3 scripts/summarize.py build/host/results build/windows/results || status=1
exit $status
