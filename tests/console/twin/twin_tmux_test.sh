#!/bin/sh
# The twin test: console-twin-scene built for Linux and for Windows, run side
# by side in two tmux windows of 80 x 25 (the Windows one under Wine), the
# same keys typed into both; at every step the two screens must agree cell
# by cell, text and colours, and so must the cursors. The key codes each
# build read are on its screen.
#   twin_tmux_test.sh LINUX_SCENE WINDOWS_SCENE_EXE SCREEN_CELLS [LINUX_DEMO WINDOWS_DEMO_EXE]
# Given the two builds of consola-demo, their first screens must agree too.
# Wine runs in WINEPREFIX when set (the Windows test stage's), else in a
# prefix of the test's own.
set -eu
linux=${1:?usage: twin_tmux_test.sh LINUX_SCENE WINDOWS_SCENE_EXE SCREEN_CELLS}
windows=${2:?usage}
cells=${3:?usage}
for tool in tmux wine; do
    command -v $tool >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
export LC_ALL=C.UTF-8  # tmux passes and shows UTF-8 only in a UTF-8 locale
dir=$(mktemp -d "${TMPDIR:-/tmp}/console-twin-XXXXXX")
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
    own_prefix=$dir/wine
    export WINEPREFIX=$own_prefix
fi
export WINEDEBUG=-all
tm() { tmux -S "$dir/socket" "$@"; }
finish() {
    # The programs first, each pane's process group (a pane leads its own):
    # a Windows program under Wine, and its console, outlive the pane.
    for pane in $(tm list-panes -a -F '#{pane_pid}' 2>/dev/null); do
        kill -KILL -- "-$pane" 2>/dev/null || true
    done
    tm kill-server 2>/dev/null || true
    [ -z "$own_prefix" ] || wineserver -k 2>/dev/null || true
    rm -rf "$dir"
}
trap finish EXIT
trap 'exit 1' HUP INT TERM PIPE  # through finish, also when killed

fail() {
    echo "FAIL: $*" >&2
    for pane in linux windows; do
        echo "--- $pane:" >&2
        tm capture-pane -p -t "$pane" >&2 || true
    done
    exit 1
}

# A pane's cells (with colours) and its cursor, into files PANE and
# PANE.cursor.
capture() {  # pane
    tm capture-pane -p -e -N -t "$1" >"$dir/$1"
    tm display-message -p -t "$1" '#{cursor_x},#{cursor_y} shown #{cursor_flag}' >"$dir/$1.cursor"
}

# Polls until both screens agree, show `marker`, and differ from what they
# showed before (the keys sent have been read); the bound is only reached
# when something is wrong.
previous=
agree() {  # what, marker
    deadline=$(($(date +%s) + 120))
    while :; do
        capture linux
        capture windows
        now=$(cat "$dir/linux" "$dir/linux.cursor")
        if grep -qF -- "$2" "$dir/linux" && [ "$now" != "$previous" ] &&
            cmp -s "$dir/linux.cursor" "$dir/windows.cursor" &&
            "$cells" 80 25 "$dir/linux" "$dir/windows" >"$dir/differences"; then
            previous=$now
            return 0
        fi
        if [ "$(date +%s)" -ge "$deadline" ]; then
            cat "$dir/differences" >&2
            echo "cursor: $(cat "$dir/linux.cursor") / $(cat "$dir/windows.cursor")" >&2
            fail "the screens differ $1"
        fi
        sleep 0.1
    done
}

both() {  # tmux send-keys arguments
    tm send-keys -t linux "$@"
    tm send-keys -t windows "$@"
}

# Each window runs its build and stays when it ends.
tm -f /dev/null new-session -d -x 80 -y 25 -s twin -n linux "\"$linux\"; sleep 600"
tm new-window -d -t twin -n windows "env -u DISPLAY wine \"$windows\"; sleep 600"
[ "$(tm display-message -p -t windows '#{window_width}x#{window_height}')" = 80x25 ] || fail "the windows' sizes differ"

agree "on the first screen" "step 1"
both x
agree "when keys are read" "step 2"
# The keys Wine's console decodes from a terminal, each read before the next
# is sent (an Escape followed at once by a key would be Alt and that key),
# and the codes both builds must read for them.
for pair in "a|key 97 'a'" "Z|key 90 'Z'" "1|key 49 '1'" "Enter|key 13" "Up|key 224 72" "Down|key 224 80" \
    "Left|key 224 75" "Right|key 224 77" "F1|key 0 59" "F2|key 0 60" "F5|key 0 63" "F10|key 0 68" "ñ|key 164"; do
    key=${pair%%|*}
    if [ "$key" = ñ ]; then both -l "$key"; else both "$key"; fi
    agree "after $key" "step 2"
    # The newest key's line, on row 14.
    tm capture-pane -p -t linux | sed -n 14p | grep -qF -- "${pair#*|}" || fail "$key was not read as ${pair#*|}"
done
both Escape
agree "in the line editor" "step 3"
# Left, two letters typed in, one that fills the field, one refused with a
# box; the box closed leaves the screen as it found it.
both Left
agree "after Left in the field" "step 3"
for key in c ñ d; do
    both -l "$key"
    agree "after $key in the field" "step 3"
done
both e
agree "with the box up" "Atenci"
both Enter
agree "after the box" "step 3"
both Enter
agree "after the field" "step 4"
tm capture-pane -p -t linux | grep -qF "typed [acñdb]" || fail "the field's text is not shown"
both Escape
if [ $# -ge 5 ]; then
    tm respawn-window -k -t linux "\"$4\"; sleep 600"
    tm respawn-window -k -t windows "env -u DISPLAY wine \"$5\"; sleep 600"
    previous=
    agree "on consola-demo's first screen" "Press a key to restore."
fi
echo "the twin screens agree"
