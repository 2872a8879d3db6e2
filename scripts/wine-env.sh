# Sourced by the scripts that run Windows programs: one quiet 64-bit Wine
# prefix per run, without the Mono and Gecko install prompts.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Debian puts the 64-bit loader outside PATH when there is no 32-bit Wine.
if command -v wine64 >/dev/null 2>&1; then
  WINE64=$(command -v wine64)
else
  WINE64=/usr/lib/wine/wine64
fi
export WINE64

# Creates the prefix named by WINEPREFIX (or a fresh temporary one) and keeps
# a wineserver running for it, so that each program start is quick.
nimbol_wine_prefix() {
  if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$(mktemp -d /tmp/nimbol-wine.XXXXXX)
    export WINEPREFIX
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, Wine's managed windows cost about two seconds
    # per dialog shown and closed; unmanaged ones behave like Windows here.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
  wineserver -p >/dev/null 2>&1 || true
}

nimbol_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}
