#!/usr/bin/env bash
# Installs every Debian package the two builds and the tests need, and only
# what is missing, so that `make run` and `make test` work on a fresh machine.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev libbenchmark-dev
  nlohmann-json3-dev libgcrypt20-dev libargon2-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev
  wine wine64 xvfb xauth imagemagick
  # The Wine tests name these fonts: Wine lists what fontconfig has.
  fonts-liberation
  clang-16 libclang-rt-16-dev python3
  # The update test's stand-in server makes its certificates with openssl;
  # the Windows tests run in a private network (scripts/private-net.sh).
  openssl iproute2
  # make dist: the relink kit is a zip file (checked by unpacking it), and
  # the program is signed with osslsigncode when a certificate is given.
  zip unzip osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
