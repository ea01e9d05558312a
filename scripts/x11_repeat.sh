#!/bin/sh
# Runs the X11 clipboard tests N times in a row against one Xvfb, started as
# the test script starts it, and stops at the first run that fails, showing
# its output. A test that fails only now and then fails here.
#   scripts/x11_repeat.sh [N]    (default 200; builds in $BUILD_DIR, default build-test)
set -eu
cd "$(dirname "$0")/.."
runs=${1:-200}
case $runs in
    '' | *[!0-9]*) echo "usage: scripts/x11_repeat.sh [N]" >&2; exit 2 ;;
esac
. scripts/deps.sh
. scripts/xvfb.sh
need_packages cmake g++ make libgtest-dev libxcb1-dev libxau-dev libxdmcp-dev xvfb xclip
dir=${BUILD_DIR:-build-test}

start_xvfb
log="$XVFB_DIR/run.log"  # goes with the server's folder when the script ends
if ! { cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$dir" --target x11_clipboard_test -j"$(nproc)"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "The build failed." >&2
    exit 1
fi
test=$dir/tests/x11/x11_clipboard_test
run=0
while [ "$run" -lt "$runs" ]; do
    run=$((run + 1))
    if ! "$test" >"$log" 2>&1; then
        cat "$log"
        echo "Run $run of $runs failed (the runs before it passed)."
        exit 1
    fi
    if [ $((run % 50)) -eq 0 ]; then echo "$run runs passed"; fi
done
echo "All $runs runs in a row passed."
