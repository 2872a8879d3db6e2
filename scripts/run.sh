#!/usr/bin/env bash
# Builds nimbol.exe and starts it. On Linux it runs under Wine; without a
# display it runs on a virtual one, saves a screenshot to build/screenshot.png
# and closes Nimbol again.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target nimbol drive
exe=build/windows/nimbol.exe

. scripts/wine-env.sh
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"

if [ -n "${DISPLAY:-}" ]; then
  nimbol_wine_prefix
  exec "$WINE64" "$exe" "$@"
fi

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -euo pipefail
  . scripts/wine-env.sh
  nimbol_wine_prefix
  "$WINE64" "$0" "${@:1}" &
  app=$!
  if ! "$WINE64" build/windows/drive.exe wait; then
    echo "Nimbol did not show its window" >&2
    kill $app 2>/dev/null || true
    exit 1
  fi
  import -window root build/screenshot.png
  "$WINE64" build/windows/drive.exe close
  wait $app
  nimbol_wine_stop
' "$exe" "$@"
echo "Screenshot saved to build/screenshot.png"
