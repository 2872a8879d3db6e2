#!/usr/bin/env bash
# Starts the built nimbol.exe under Wine on a virtual display with the given
# settings and arguments, saves a screenshot, and closes it again:
#   scripts/screenshot.sh OUT.png 'CONFIG-JSON' [ARGS...]
# NIMBOL_SHOT_STEPS may hold drive.exe commands run before the picture is
# taken, separated by ";" (for example "new-tab;type hello;command 128;hover 120 17").
# NIMBOL_BUILD names another build folder than build/windows.
# NIMBOL_SHOT_UPDATE_CHECK is the stored answer to the first-run question
# about update checks ("off" unless given; empty: the question is asked).
# Uses the prefix in build/wineprefix, whose data folder it overwrites.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
config=$2
shift 2
. scripts/wine-env.sh
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
export NIMBOL_BUILD="${NIMBOL_BUILD:-build/windows}"
export NIMBOL_SHOT_CONFIG="$config" NIMBOL_SHOT_OUT="$out"
export NIMBOL_SHOT_UPDATE_CHECK="${NIMBOL_SHOT_UPDATE_CHECK-off}"
xvfb-run -a -s "-screen 0 1000x700x24" bash -c '
  set -euo pipefail
  . scripts/wine-env.sh
  nimbol_wine_prefix
  data="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Nimbol"
  rm -rf "$data"; mkdir -p "$data"
  printf "%s" "$NIMBOL_SHOT_CONFIG" > "$data/config.json"
  key="HKCU\\Software\\Quorvex\\nimbol"
  if [ -n "$NIMBOL_SHOT_UPDATE_CHECK" ]; then
    "$WINE64" reg add "$key" /v UpdateCheck /d "$NIMBOL_SHOT_UPDATE_CHECK" /f >/dev/null 2>&1
  else
    "$WINE64" reg delete "$key" /v UpdateCheck /f >/dev/null 2>&1 || true
  fi
  "$WINE64" $NIMBOL_BUILD/nimbol.exe "$@" &
  app=$!
  "$WINE64" $NIMBOL_BUILD/drive.exe wait
  IFS=";" read -ra steps <<< "${NIMBOL_SHOT_STEPS:-}"
  for step in "${steps[@]}"; do
    read -ra words <<< "$step"
    if [ "${words[0]}" = type ]; then
      "$WINE64" $NIMBOL_BUILD/drive.exe type "${step#type }"
    else
      "$WINE64" $NIMBOL_BUILD/drive.exe "${words[@]}"
    fi
  done
  import -window root "$NIMBOL_SHOT_OUT"
  "$WINE64" $NIMBOL_BUILD/drive.exe close || kill $app
  wait $app || true
  nimbol_wine_stop
' _ "$@"
