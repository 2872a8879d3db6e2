#!/usr/bin/env bash
# Builds the program users download: nimbol.exe from the windows preset (the
# program itself, without the checks the test programs carry), stripped of
# its symbols, into dist/ with its SHA-256 beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target nimbol
mkdir -p dist
strip=x86_64-w64-mingw32-strip
command -v "$strip" >/dev/null 2>&1 || strip=strip
"$strip" -o dist/nimbol.exe build/windows/nimbol.exe
(cd dist && sha256sum nimbol.exe > nimbol.exe.sha256)
cat dist/nimbol.exe.sha256
