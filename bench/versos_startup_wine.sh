#!/bin/sh
# versos.exe on the Windows clipboard under Wine against a windowless
# program that opens and closes the clipboard, as whole processes,
# interleaved by the build machine's interleave. Goal: a ratio of at most
# 1.2.
#   bench/versos_startup_wine.sh BUILD_DIR WINDOWS_BUILD_DIR [RUNS]
# BUILD_DIR: a Linux build (for bin/interleave); WINDOWS_BUILD_DIR: the
# cross build, configured with -DVERSOS_BUILD_BENCH=ON (for
# bin/clipboard_peer.exe). Uses DISPLAY when set, else a private Xvfb; a
# private WINEPREFIX under WINDOWS_BUILD_DIR unless WINEPREFIX is set; one
# wineserver for the whole run, ended with it.
set -eu
build=${1:?usage: versos_startup_wine.sh BUILD_DIR WINDOWS_BUILD_DIR [RUNS]}
windows=${2:?usage: versos_startup_wine.sh BUILD_DIR WINDOWS_BUILD_DIR [RUNS]}
runs=${3:-300}
WINEPREFIX=${WINEPREFIX:-$(cd "$windows" && pwd)/wine-bench}
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
unset VERSOS_CLIPBOARD_FILE

xvfb=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb=$!
    DISPLAY=:$(head -n 1 "$fifo")
    rm -f "$fifo"
    export DISPLAY
fi
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
wineserver -p || true  # one may be running already
"$build/bin/interleave" -n "$runs" -- wine "$windows/bin/versos.exe" B 12345 -- wine "$windows/bin/clipboard_peer.exe"
