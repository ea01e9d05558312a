#!/bin/sh
# The Windows build: cross-compiled with MinGW-w64 and its tests run under
# Wine. One Wine prefix in the build folder (made once, then kept), one
# wineserver for the whole run (killed at its end), and a private Xvfb as
# the display, where Wine keeps its clipboard. Usage: scripts/windows_tests.sh
# [BUILD_DIR], build-windows by default.
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/xvfb.sh
need_packages cmake make g++ g++-mingw-w64-x86-64 wine wine64 googletest scdoc xvfb xclip tmux
dir=${1:-build-windows}
jobs=$(nproc)
began=$(date +%s)

cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$jobs"
built=$(date +%s)

start_xvfb
WINEPREFIX="$PWD/$dir/wine"
WINEDEBUG=-all
# No .NET or HTML engine in the prefix: nothing here needs them, and asking
# for them would stop wineboot.
WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$VERSOS_TEST_DISPLAY
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES DISPLAY
stop_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}
trap 'stop_wine; stop_xvfb' EXIT
# The server and Wine's own services start here, away from ctest's pipes: a
# process that inherited a test's output would keep ctest waiting for its end.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
ready=$(date +%s)

ctest --test-dir "$dir" --output-on-failure -j"$jobs"

# The twin test: the console's scene of this build beside the Linux build's
# (scripts/test.sh's, or one made here), screens compared cell by cell.
linux=${VERSOS_LINUX_BUILD:-build-test}
[ -f "$linux/CMakeCache.txt" ] || cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$linux" --target console-twin-scene screen-cells consola-demo -j"$jobs" >/dev/null
tests/console/twin/twin_tmux_test.sh "$linux/bin/console-twin-scene" "$dir/bin/console-twin-scene.exe" \
    "$linux/bin/screen-cells" "$linux/bin/consola-demo" "$dir/bin/consola-demo.exe"
ended=$(date +%s)
echo "Windows stage: build $((built - began)) s, Wine prefix $((ready - built)) s, tests $((ended - ready)) s"
