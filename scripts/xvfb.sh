# Sourced by the test and benchmark scripts: a private X server for the X11
# clipboard. start_xvfb starts Xvfb on a free display and exports
# VERSOS_TEST_DISPLAY; stop_xvfb stops it. start_xvfb sets the traps that
# stop it whichever way the script ends.
XVFB_PID=
XVFB_DIR=

start_xvfb() {
    trap stop_xvfb EXIT
    trap 'exit 1' HUP INT TERM
    XVFB_DIR=$(mktemp -d)
    # -displayfd: Xvfb picks a free display and writes its number once it
    # accepts connections. -noreset: by default it resets whenever its last
    # client leaves and refuses connections meanwhile, which between two
    # tests is often.
    Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 320x240x24 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/log" &
    XVFB_PID=$!
    tries=0
    while [ ! -s "$XVFB_DIR/display" ]; do
        if ! kill -0 "$XVFB_PID" 2>/dev/null || [ "$tries" -ge 100 ]; then
            echo "Xvfb could not start; the X11 tests can't run. Its log:" >&2
            cat "$XVFB_DIR/log" >&2
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    VERSOS_TEST_DISPLAY=:$(tr -d '\n' <"$XVFB_DIR/display")
    export VERSOS_TEST_DISPLAY
    echo "Xvfb on display $VERSOS_TEST_DISPLAY"
}

stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
    if [ -n "$XVFB_DIR" ]; then
        rm -rf "$XVFB_DIR"
        XVFB_DIR=
    fi
}
