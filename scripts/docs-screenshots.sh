#!/usr/bin/env bash
# Makes the README's pictures in docs/screenshots/ with scripts/screenshot.sh:
# the program with a few lines of notes in the light and the dark theme and
# veiled, and in both themes the main menu, Privacy Settings, the About
# window and the licences viewer.
# Needs a built build/windows (nimbol.exe and drive.exe). Look at every
# picture before keeping it.
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
work=$(mktemp -d /tmp/nimbol-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
printf '%s\n' "Shopping" "- coffee beans, oat milk" "- batteries (AA)" "" \
  "Call the dentist on Tuesday about the appointment." "Flat: meter reading 04817, send it before the 5th." "" \
  "Gift ideas: the blue scarf, a book on sailing." > "$work/notes.txt"
notes="Z:$(echo "$work/notes.txt" | tr / '\\')"
window='"window":{"left":20,"top":20,"right":820,"bottom":520,"maximized":false}'

shot() {  # name, crop, config, then the steps in NIMBOL_SHOT_STEPS
  NIMBOL_SHOT_STEPS="${4:-}" bash scripts/screenshot.sh "$work/$1.png" "$3" "$notes" >/dev/null
  convert "$work/$1.png" -crop "$2" +repage "$out/$1.png"
}

shot light 800x500+20+20 "{\"theme\":\"light\",$window}"
shot dark 800x500+20+20 "{\"theme\":\"dark\",$window}"
shot veiled 800x500+20+20 "{\"theme\":\"light\",\"reveal\":\"Click\",$window}"
for theme in light dark; do
  shot "menu-hide-now-$theme" 800x500+20+20 "{\"theme\":\"$theme\",$window}" "key 121"
  shot "settings-$theme" 380x528+0+0 "{\"theme\":\"$theme\",\"clipboard_clear_seconds\":30,$window}" "command 128"
  shot "about-$theme" 504x628+0+0 "{\"theme\":\"$theme\",$window}" "command 160"
  shot "licenses-$theme" 640x628+0+0 "{\"theme\":\"$theme\",$window}" "command 160;click NimbolAboutWnd 100"
done
echo "Pictures in $out"
