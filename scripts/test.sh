#!/bin/sh
# Builds and runs every test: once in a normal build, once built with
# AddressSanitizer and UndefinedBehaviorSanitizer; then the packaging tests
# (consumers, install layout) once more with shared libraries; then the
# Windows build, cross-compiled, under Wine (scripts/windows_tests.sh).
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/xvfb.sh
need_packages cmake g++ make pkgconf scdoc groff-base libgtest-dev libxcb1-dev libxau-dev libxdmcp-dev xvfb xclip w3c-sgml-lib libvterm-dev tmux libncurses-dev dash
jobs=$(nproc)

run_suite() {  # build dir, extra cmake arguments...
    dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

start_xvfb  # for the X11 clipboard tests; the others use the file clipboard
echo "== tests =="
run_suite build-test
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
run_suite build-sanitize -DVERSOS_SANITIZE=ON
echo "== shared libraries: consumers and the install layout =="
run_suite build-shared -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_LIBDIR=lib/x86_64-linux-gnu \
          -DVERSOS_BUILD_BENCH=OFF -DVERSOS_BUILD_EXAMPLES=OFF
echo "== the Windows build under Wine =="
scripts/windows_tests.sh build-windows
echo "== fuzz targets over their regression corpus =="
fuzz/regress.sh
echo "All tests passed."
