#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of its own inside the build folder
# (made on the first run), with Wine's own messages off. Used by ctest for the
# cross-built suites and by the CI checks of velmorctl.exe.
#   VELMOR_WINEPREFIX  the prefix (default: build/windows/wineprefix)
# --keep-server starts the prefix's Wine server to stay until --stop-server.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${VELMOR_WINEPREFIX:-$here/build/windows/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64 || command -v wine)"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Two tests started at once must not both make the prefix.
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$loader" wineboot --init >/dev/null 2>&1 || true
      "$(dirname "$loader")/wineserver" -w 2>/dev/null || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
server="$(dirname "$loader")/wineserver"
[ -x "$server" ] || server="$(command -v wineserver)"
case "${1:-}" in
  --keep-server)
    # A server still ending after the last program is let go first: -p fails on it.
    "$server" -k 2>/dev/null || true
    "$server" -w 2>/dev/null || true
    "$server" -p </dev/null >/dev/null 2>&1
    # Wine's own services start with the first program and stay with the server,
    # holding that program's output open: they are started here, on /dev/null,
    # not by a test whose output a runner waits on.
    "$loader" cmd /c exit 0 </dev/null >/dev/null 2>&1
    exit 0 ;;
  --stop-server) "$server" -k 2>/dev/null || true; exit 0 ;;
esac
exec "$loader" "$@"
