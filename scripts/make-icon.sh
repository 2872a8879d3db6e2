#!/usr/bin/env bash
# Renders res/nimbol.svg into the PNG images of the program icon and packs
# them into res/nimbol.ico. Run after changing the drawing; the .ico is
# committed so that a build needs neither tool.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" res/nimbol.svg -o "$tmp/$size.png"
done
args=()
for size in 16 24 32 48 64 128 256; do args+=("--raw=$tmp/$size.png"); done
icotool -c -o res/nimbol.ico "${args[@]}"
