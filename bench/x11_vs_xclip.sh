#!/bin/sh
# The verse command on the X11 clipboard against what a Linux user would
# otherwise run to put a word on the clipboard, `printf el | xclip -selection
# clipboard`, as whole processes, interleaved, under a private Xvfb. Both go
# through /bin/sh (the peer is a pipeline). Goal: a ratio of at most 1.0.
#   bench/x11_vs_xclip.sh BUILD_DIR [RUNS]
# Needs Xvfb and xclip (Debian's xvfb and xclip packages).
set -eu
build=$(cd "${1:?usage: x11_vs_xclip.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-500}
cd "$(dirname "$0")/.."
. scripts/xvfb.sh
start_xvfb >/dev/null
DISPLAY=$VERSOS_TEST_DISPLAY
export DISPLAY
unset VERSOS_CLIPBOARD_FILE
# Each run takes the selection from the one before, whose owner then exits,
# so owners never pile up; the last one goes with the server.
"$build/bin/interleave" -n "$runs" --shell -- "'$build/bin/versos' k 1234" -- "printf el | xclip -selection clipboard"
"$build/bin/versos" F 0 || true  # an unknown mode: only empties the clipboard
