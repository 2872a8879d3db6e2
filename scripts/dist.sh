#!/usr/bin/env bash
# Builds what users download, into dist/:
#   nimbol.exe            the program from the windows preset, stripped of its
#                         symbols, signed when a certificate is given
#   nimbol.exe.sha256     its SHA-256 (of the signed file when signed)
#   nimbol-relink.zip     what relinking it with a changed libgcrypt or
#                         libgpg-error takes (both are LGPL and linked in
#                         statically): the program's own object files, the
#                         link command as the build ran it, and a README
#   nimbol-relink.zip.sha256
# Signing (Authenticode, scripts/sign.sh): SIGN_PFX names the certificate
# with its key (PKCS#12), SIGN_PASSWORD_FILE the file that holds its
# password, SIGN_TIMESTAMP a time-stamp server (none is asked otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target nimbol
mkdir -p dist
strip=x86_64-w64-mingw32-strip
command -v "$strip" >/dev/null 2>&1 || strip=strip
work=$(mktemp -d "$root/dist/.work.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$strip" -o "$work/nimbol.exe" "$build/nimbol.exe"
if [ -n "${SIGN_PFX:-}" ]; then
  homepage=$(sed -n 's/^NIMBOL_HOMEPAGE:STRING=//p' "$build/CMakeCache.txt")
  bash scripts/sign.sh "$work/nimbol.exe" "$work/nimbol-signed.exe" "$SIGN_PFX" "${SIGN_PASSWORD_FILE:-}" \
    "${SIGN_TIMESTAMP:-}" "$homepage"
  mv -f "$work/nimbol-signed.exe" dist/nimbol.exe
  if [ -n "${SIGN_TIMESTAMP:-}" ]; then
    echo "dist/nimbol.exe is signed (Authenticode, SHA-256), time-stamped by $SIGN_TIMESTAMP"
  else
    echo "dist/nimbol.exe is signed (Authenticode, SHA-256), without a time stamp"
  fi
else
  mv -f "$work/nimbol.exe" dist/nimbol.exe
  echo "dist/nimbol.exe is unsigned: no certificate was given (make dist SIGN_PFX=... SIGN_PASSWORD_FILE=...)"
fi
(cd dist && sha256sum nimbol.exe >nimbol.exe.sha256)

# ---- the relink kit ----
# Made from the very commands and files the build linked nimbol.exe from,
# then linked once here to prove that it links.
dir="$build/CMakeFiles/nimbol.dir"
if [ ! -f "$dir/link.txt" ] || [ ! -f "$dir/linkLibs.rsp" ] || [ ! -f "$dir/objects1" ]; then
  echo "dist: the relink kit needs the Makefile generator's link files in $dir" >&2
  exit 1
fi
kit="$work/nimbol-relink"
mkdir -p "$kit/objects/delay_load"
link_line=$(grep -- '-o nimbol.exe' "$dir/link.txt")
objects=$(cat "$dir/objects1")
libs=$(cat "$dir/linkLibs.rsp")
{
  echo "# The link of nimbol.exe exactly as the build ran it (in $build):"
  cat "$dir/link.txt"
  echo
  echo "# CMakeFiles/nimbol.dir/objects1 (the object files put into objects.a):"
  echo "$objects"
  echo "# CMakeFiles/nimbol.dir/linkLibs.rsp (the libraries, in this order):"
  echo "$libs"
} >"$kit/link-command.txt"

kit_objects=()
for o in $objects; do
  cp "$build/$o" "$kit/objects/"
  kit_objects+=("objects/$(basename "$o")")
done
kit_libs=()
for l in $libs; do
  l=${l//\"/}
  case "$l" in
    */libgcrypt.a) kit_libs+=('"$GCRYPT"') ;;
    */libgpg-error.a) kit_libs+=('"$GPG_ERROR"') ;;
    delay_load/*.a) cp "$build/$l" "$kit/objects/delay_load/"; kit_libs+=("objects/$l") ;;
    lib*.a) [ -e "$kit/objects/$l" ] || cp "$build/$l" "$kit/objects/"; kit_libs+=("objects/$l") ;;
    *) kit_libs+=("$l") ;;
  esac
done
gcrypt=$(tr ' ' '\n' <<<"$libs" | tr -d '"' | grep '/libgcrypt\.a$')
gpg_error=$(tr ' ' '\n' <<<"$libs" | tr -d '"' | grep '/libgpg-error\.a$')
# The options of the link line, without the compiler, the map, the
# import library and the objects archive, which the kit names itself.
options=$(sed -e 's/^[^ ]* //' -e 's/ -Wl,-Map=[^ ]*//' -e 's/ -Wl,--out-implib,[^ ]*//' \
  -e 's/ -Wl,--whole-archive [^ ]* -Wl,--no-whole-archive//' -e 's/ -o nimbol.exe//' -e 's/ @[^ ]*//' <<<"$link_line")
compiler=$(awk '{print $1}' <<<"$link_line")
# The versions as the archives themselves state them.
gcrypt_version=$(grep -a -o -m1 'This is Libgcrypt [0-9.]*' "$gcrypt" | head -n1 | awk '{print $4}')
gpg_error_version=$(grep -a -o -m1 'This is Libgpg-error [0-9.]*' "$gpg_error" | head -n1 | awk '{print $4}')
cat >"$kit/relink.sh" <<RELINK
#!/bin/sh
# Links nimbol.exe again from the object files in objects/, with the
# libgcrypt and libgpg-error archives you name (a changed build of them,
# for instance). Needs the same mingw-w64 toolchain (g++ 12, posix threads).
#   GCRYPT=path/to/libgcrypt.a GPG_ERROR=path/to/libgpg-error.a sh relink.sh
set -e
cd "\$(dirname "\$0")"
CXX=\${CXX:-$(basename "$compiler")}
GCRYPT=\${GCRYPT:-$gcrypt}
GPG_ERROR=\${GPG_ERROR:-$gpg_error}
"\$CXX" $options ${kit_objects[*]} -o nimbol.exe ${kit_libs[*]}
echo "nimbol.exe linked"
RELINK
chmod +x "$kit/relink.sh"
cat >"$kit/README.txt" <<README
Relinking Nimbol $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt") with a changed library

nimbol.exe contains libgcrypt and libgpg-error, which are licensed under the
GNU Lesser General Public License 2.1 (see the program's Third-Party Licenses
window). The licence lets you change those libraries and use your changed
version with Nimbol. This kit is what that takes: the program's own object
files and the command that links them.

  objects/           the object files and static libraries of Nimbol itself,
                     as the build of the nimbol.exe beside this kit made them
  relink.sh          links them again with the libraries you name
  link-command.txt   the link exactly as the build ran it

On Debian or Ubuntu, with the packages g++-mingw-w64-x86-64-posix,
libgcrypt-mingw-w64-dev and libgpg-error-mingw-w64-dev installed:

  GCRYPT=/path/to/your/libgcrypt.a GPG_ERROR=/path/to/your/libgpg-error.a sh relink.sh

Without GCRYPT and GPG_ERROR it links with the archives of those packages.
In an MSYS2 MinGW64 shell on Windows, set CXX=g++ as well. The result is
nimbol.exe in this folder; x86_64-w64-mingw32-strip nimbol.exe removes its
symbols, as the released program has none. A changed library must keep the
interface (the functions and types of gcrypt.h and gpg-error.h) that this
build was compiled against: libgcrypt $gcrypt_version, libgpg-error $gpg_error_version.
README
(cd "$work" && rm -f "$root/dist/nimbol-relink.zip" && zip -qr "$root/dist/nimbol-relink.zip" nimbol-relink)
(cd dist && sha256sum nimbol-relink.zip >nimbol-relink.zip.sha256)

# The kit must link: unpacked elsewhere, with the same libraries.
check="$work/check"
mkdir -p "$check"
(cd "$check" && unzip -q "$root/dist/nimbol-relink.zip" && sh nimbol-relink/relink.sh >/dev/null) ||
  { echo "dist: the relink kit does not link" >&2; exit 1; }
[ -s "$check/nimbol-relink/nimbol.exe" ] || { echo "dist: the relink kit made no program" >&2; exit 1; }

cat dist/nimbol.exe.sha256 dist/nimbol-relink.zip.sha256
