#!/bin/sh
# Builds and runs every test: once in a normal build (with the compiler and
# linker flags of a Debian package, every warning an error), and once more
# there as an unprivileged user; once built with AddressSanitizer and
# UndefinedBehaviorSanitizer; then the packaging tests (consumers, install
# layout) once more with shared libraries; then the Windows build,
# cross-compiled, under Wine (scripts/windows_tests.sh).
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/xvfb.sh
need_packages cmake g++ make pkgconf scdoc groff-base libgtest-dev libxcb1-dev libxau-dev libxdmcp-dev xvfb xclip w3c-sgml-lib libvterm-dev tmux libncurses-dev dash \
              dpkg-dev devscripts
jobs=$(nproc)

run_suite() {  # build dir, extra cmake arguments...
    dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" ${CTEST_LABEL:+-L "$CTEST_LABEL"}
}

# The normal suite once more as an unprivileged user whose login shell is
# nologin, as where a packager builds: with DISPLAY, not VERSOS_TEST_DISPLAY,
# and a bare environment. It runs on the normal build, lent to that user.
run_unprivileged() {  # build dir
    dir=$1
    user=nobody
    group=$(id -gn "$user")
    as_user() { setpriv --reuid="$user" --regid="$group" --clear-groups "$@"; }
    if ! as_user test -r "$PWD/CMakeLists.txt"; then
        echo "$user can't read the sources in $PWD: the unprivileged run needs a readable checkout" >&2
        return 1
    fi
    owner=$(stat -c %u:%g "$dir")
    home=$(mktemp -d)
    chown -R "$user:$group" "$dir" "$home"
    status=0
    as_user env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$VERSOS_TEST_DISPLAY" \
        ctest --test-dir "$dir" --output-on-failure -j"$jobs" || status=$?
    chown -R "$owner" "$dir"
    rm -rf "$home"
    return "$status"
}

start_xvfb  # for the X11 clipboard tests; the others use the file clipboard
echo "== tests =="
run_suite build-test -DVERSOS_WERROR=ON -DVERSOS_PEDANTIC=ON \
          "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
          "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
          "-DCMAKE_SHARED_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
          "-DCMAKE_MODULE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
if [ "$(id -u)" -eq 0 ]; then
    echo "== the same tests as an unprivileged user =="
    run_unprivileged build-test
fi
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
run_suite build-sanitize -DVERSOS_SANITIZE=ON
echo "== shared libraries: consumers and the install layout =="
CTEST_LABEL=packaging run_suite build-shared -DVERSOS_WERROR=ON -DVERSOS_PEDANTIC=ON -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_LIBDIR=lib/x86_64-linux-gnu \
          -DVERSOS_BUILD_BENCH=OFF -DVERSOS_BUILD_EXAMPLES=OFF
echo "== the Windows build under Wine =="
scripts/windows_tests.sh build-windows
echo "== fuzz targets over their regression corpus =="
fuzz/regress.sh
echo "All tests passed."
