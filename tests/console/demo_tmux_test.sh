#!/bin/sh
# consola-demo driven as a person would, in tmux: keys sent with send-keys,
# the screen read back with capture-pane (-e for colours). Checks the
# wrapping and scrolling against fold(1), the colours' SGR, lines inserted
# and deleted, the box's rectangle put back, each key's code, and that the
# terminal is left usable (stty -g unchanged, cursor visible) after Escape
# and after SIGTERM; without a terminal the demo ends at once.
#   demo_tmux_test.sh CONSOLA_DEMO
set -eu
demo=${1:?usage: demo_tmux_test.sh CONSOLA_DEMO}
command -v tmux >/dev/null || { echo "tmux is needed (Debian: apt-get install tmux)" >&2; exit 1; }
export LC_ALL=C.UTF-8  # tmux passes and shows UTF-8 only in a UTF-8 locale
export SHELL=/bin/sh   # tmux's own shell, whatever the user's login shell is
dir=$(mktemp -d "${TMPDIR:-/tmp}/consola-demo-XXXXXX")
# One tmux server for each run of the demo, each on a socket of its own.
server=0
tm() { tmux -S "$dir/socket$server" "$@"; }
end_server() { tm kill-server 2>/dev/null || true; }
trap 'end_server; rm -rf "$dir"' EXIT
esc=$(printf '\033')

fail() {
    echo "FAIL: $*" >&2
    echo "--- the pane:" >&2
    tm capture-pane -p >&2 || true
    exit 1
}

# Polls until the command succeeds; the bound is only reached when
# something is wrong.
wait_until() {  # what, command...
    what=$1
    shift
    deadline=$(($(date +%s) + 60))
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}
screen_has() { tm capture-pane -p | grep -qF -- "$1"; }
screen_lacks() { ! screen_has "$1"; }
# Rows FROM..TO of the pane, trailing blanks dropped.
rows() { tm capture-pane -p | sed -n "$1,$2p" | sed 's/ *$//'; }

# The pane runs the demo between two stty -g, records its pid, says how it
# ended and stays until the server ends. (A pane that stays once dead would
# scroll its text to show so.)
cat >"$dir/run.sh" <<'SCRIPT'
stty -g >"$1/before"
sh -c 'echo $$ >"$1/pid" && exec "$2"' sh "$1" "$2"
status=$?
stty -g >"$1/after"
echo "exited $status"
read -r _
SCRIPT
echo 'set -g status off' >"$dir/tmux.conf"
start_demo() {
    server=$((server + 1))
    tm -f "$dir/tmux.conf" new-session -d -x 80 -y 25 sh "$dir/run.sh" "$dir" "$demo"
    wait_until "the box" screen_has "| Press a key to restore.|"
}
expect_terminal_as_before() {  # status
    wait_until "the demo's end" screen_has "exited $1"
    cmp -s "$dir/before" "$dir/after" || fail "stty -g was $(cat "$dir/before"), is $(cat "$dir/after")"
    [ "$(tm display -p '#{cursor_flag}')" = 1 ] || fail "the cursor is hidden after the demo (status $1)"
}

start_demo
[ "$(tm display -p '#{cursor_flag}')" = 0 ] || fail "the cursor shows while the demo runs"
# Fifteen sentences wrapped at 30 columns; the window's 6 rows show the
# last 6 rows of them, the first ones scrolled away.
wrapped=$(c=15; while [ $c -ge 1 ]; do printf 'Text in colour %d. ' $c; c=$((c - 1)); done |
    fold -w 30 | tail -n 6 | sed 's/ *$//')
panel() { tm capture-pane -p | sed -n 4,9p | cut -c2-31 | sed 's/ *$//'; }
[ "$(panel)" = "$wrapped" ] || fail "wrapped text is
$(panel)
expected
$wrapped"
# Windows colour 4 is red (SGR 31), 1 blue (34), 9 bright blue (94).
tm capture-pane -p -e >"$dir/colours"
for sgr in "31mn colour 4." "34mur 1." "94mn colour 9."; do
    grep -qF "$esc[$sgr" "$dir/colours" || fail "no ESC[$sgr in capture-pane -e"
done

tm send-keys x
wait_until "the box to go" screen_lacks "Press a key to restore."
[ "$(panel)" = "$wrapped" ] || fail "the wrapped text changed under the box"
lines=$(tm capture-pane -p | sed -n 4,9p | cut -c34-63 | sed 's/ *$//')
[ "$lines" = "line 2
inserted at row 3
line 3
line 4
line 5" ] || fail "lines inserted and deleted, and put back from under the box:
$lines"

# The line editor and the elapsed-time box, which the demo's own tmux test
# drives, ended as they start; then the key loop.
wait_until "the line editor" screen_has "Text: año"
tm send-keys Enter
wait_until "the elapsed-time box" screen_has "Duración"
tm send-keys Enter
wait_until "the keys' heading" screen_has "Keys, newest first"
tm send-keys Up F1 IC DC PPage a
tm send-keys -l ñ
keys=" key 164  'ñ'
 key 97  'a'
 key 224 73
 key 224 83
 key 224 82
 key 0 59
 key 224 72"
keys_shown() { [ "$(rows 14 20 | cut -c1-40 | sed 's/ *$//')" = "$keys" ]; }
wait_until "the keys' codes" keys_shown
tm send-keys Escape
expect_terminal_as_before 0
end_server

start_demo
kill -TERM "$(cat "$dir/pid")"
expect_terminal_as_before 143
end_server

# Without a terminal: a message and status 1 at once, nothing on output.
for redirect in "</dev/null" ">$dir/out"; do
    status=0
    eval timeout 20 "\"\$demo\"" "$redirect" 2>"$dir/err" >"$dir/out" || status=$?
    [ "$status" = 1 ] || fail "without a terminal ($redirect) the status is $status"
    grep -q "must be a terminal" "$dir/err" || fail "without a terminal ($redirect) no message"
    [ ! -s "$dir/out" ] || fail "without a terminal ($redirect) something was written"
done
echo "consola-demo in tmux: all checks passed"
