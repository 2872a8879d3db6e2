#!/usr/bin/env bash
# The signing step of `make dist`, with a throwaway certificate authority
# and code-signing certificate made here: the program is signed by
# scripts/sign.sh, the signature checks out against that authority (and an
# unsigned copy or a wrong password does not), and the signed program starts
# under Wine and closes normally.
#   tests/dist/sign_test.sh BUILD_DIR RESULTS_DIR
# BUILD_DIR is the windows preset's (nimbol.exe and drive.exe); Wine's
# prefix and display are the ones the other Windows tests run in. A JUnit
# report in RESULTS_DIR lets the totals of the test run count it.
set -uo pipefail
build=$(cd "$1" && pwd)
results=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/nimbol-sign.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=()
fail() { failures+=("$1"); echo "FAILED: $1" >&2; }

report() {
  [ -n "$results" ] || return 0
  mkdir -p "$results"
  local n=${#failures[@]} body=""
  [ "$n" -gt 0 ] && body="<failure message=\"$(printf '%s; ' "${failures[@]}" | sed 's/&/\&amp;/g; s/</\&lt;/g; s/"/\&quot;/g')\"/>"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="1" failures="%d" errors="0" name="dist">\n<testsuite name="Dist" tests="1" failures="%d" errors="0">\n<testcase name="TheSignedProgramVerifiesAgainstItsAuthorityAndStarts" classname="Dist">%s</testcase>\n</testsuite>\n</testsuites>\n' \
    "$((n > 0))" "$((n > 0))" "$body" >"$results/dist.xml"
}

cd "$work"
quiet() { "$@" >/dev/null 2>&1; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Nimbol Throwaway Signing Authority" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" || fail "making the authority"
quiet openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -subj "/CN=Nimbol Test Publisher" \
  || fail "making the certificate request"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >code.ext
quiet openssl x509 -req -in code.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out code.pem -days 2 -extfile code.ext \
  || fail "signing the certificate"
printf 'correct horse battery\n' >password.txt
quiet openssl pkcs12 -export -inkey code.key -in code.pem -certfile ca.pem -out code.pfx -passout file:password.txt \
  || fail "making the PKCS#12 file"
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 -subj "/CN=Someone Else" \
  || fail "making the other authority"

cp "$build/nimbol.exe" unsigned.exe
bash "$root/scripts/sign.sh" unsigned.exe nimbol.exe code.pfx password.txt "" "https://example.invalid/" \
  || fail "scripts/sign.sh did not sign"
[ -s nimbol.exe ] || fail "no signed program was written"

verify() { osslsigncode verify -CAfile "$1" -in "$2" 2>&1; }
out=$(verify ca.pem nimbol.exe); rc=$?
{ [ $rc -eq 0 ] && grep -q "Signature verification: ok" <<<"$out"; } || fail "the signature does not verify: $out"
grep -q "Nimbol Test Publisher" <<<"$out" || fail "the signer is not named in the signature"
# The checks above mean something only if these fail.
verify other.pem nimbol.exe >/dev/null && fail "the signature verified against an authority that did not issue it"
verify ca.pem unsigned.exe >/dev/null && fail "an unsigned program verified"
printf 'wrong\n' >wrong.txt
if bash "$root/scripts/sign.sh" unsigned.exe wrong.exe code.pfx wrong.txt 2>/dev/null || [ -e wrong.exe ]; then
  fail "a wrong password signed, or left a file behind"
fi

# The signed program under Wine: it shows its window and closes with exit
# code 0, with its data in a folder of its own and no first-run question.
if [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
  . "$root/scripts/wine-env.sh"
  mkdir -p appdata
  "$WINE64" reg add 'HKCU\Software\Quorvex\nimbol' /v UpdateCheck /d off /f >/dev/null 2>&1
  # Wine sets APPDATA from the prefix, so it is set inside, by cmd.
  appdata=$("$WINE64" winepath -w "$work/appdata" 2>/dev/null)
  program=$("$WINE64" winepath -w "$work/nimbol.exe" 2>/dev/null)
  "$WINE64" cmd /c "set APPDATA=$appdata&& $program" &
  app=$!
  if "$WINE64" "$build/drive.exe" wait && "$WINE64" "$build/drive.exe" close; then
    wait $app; rc=$?
    [ $rc -eq 0 ] || fail "the signed program ended with exit code $rc"
    [ -f appdata/Nimbol/config.json ] || fail "the signed program did not keep its settings where it was told"
  else
    fail "the signed program did not show its window or did not close"
    kill $app 2>/dev/null
    wait $app 2>/dev/null
  fi
else
  fail "no Wine prefix and display to start the signed program in"
fi

report
[ ${#failures[@]} -eq 0 ] && echo "dist signing: passed"
[ ${#failures[@]} -eq 0 ]
