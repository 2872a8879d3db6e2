#!/usr/bin/env bash
# Signs a Windows program with Authenticode, as make dist does:
#   scripts/sign.sh IN OUT PFX [PASSWORD_FILE [TIMESTAMP_URL [PAGE_URL]]]
# PFX holds the code-signing certificate and its key (PKCS#12); the password
# is read from PASSWORD_FILE (its first line), never from the command line,
# where other users of the machine could see it. A time-stamp server is
# asked only when one is named (RFC 3161); without one the signature holds
# as long as the certificate does. OUT is written only when signing worked.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: scripts/sign.sh IN OUT PFX [PASSWORD_FILE [TIMESTAMP_URL [PAGE_URL]]]" >&2
  exit 2
fi
in=$1 out=$2 pfx=$3 password_file=${4:-} timestamp=${5:-} page=${6:-}

command -v osslsigncode >/dev/null 2>&1 || { echo "sign: osslsigncode is not installed (make setup installs it)" >&2; exit 1; }
[ -r "$pfx" ] || { echo "sign: cannot read the certificate file $pfx" >&2; exit 1; }
if [ -n "$password_file" ] && [ ! -r "$password_file" ]; then
  echo "sign: cannot read the password file $password_file" >&2
  exit 1
fi

args=(sign -pkcs12 "$pfx" -h sha256 -n "Nimbol")
[ -n "$password_file" ] && args+=(-readpass "$password_file")
[ -n "$page" ] && args+=(-i "$page")
[ -n "$timestamp" ] && args+=(-ts "$timestamp")

partial="$out.signing"
rm -f "$partial"
trap 'rm -f "$partial"' EXIT
if ! osslsigncode "${args[@]}" -in "$in" -out "$partial" >"$partial.log" 2>&1; then
  cat "$partial.log" >&2
  rm -f "$partial.log"
  echo "sign: signing $in failed" >&2
  exit 1
fi
rm -f "$partial.log"
mv -f "$partial" "$out"
