#!/bin/sh
# What versos.exe puts on the Windows clipboard, read from outside Wine with
# xclip: Wine shares its clipboard with the X display. The run's code page
# is Cyrillic (1251), so the X side sees the right letters only through the
# Unicode text versos.exe gives beside the Windows-1252 one.
#   xclip_reads_versos.sh WINE VERSOS_EXE PEGAR_EXE
# Needs DISPLAY (the X server Wine draws on) and a wineserver that outlives
# the run, as the Windows test stage keeps.
set -u
usage="usage: xclip_reads_versos.sh WINE VERSOS_EXE PEGAR_EXE"
wine=${1:?$usage}
versos=${2:?$usage}
pegar=${3:?$usage}
command -v xclip >/dev/null || { echo "xclip is missing" >&2; exit 1; }

# Runs the command given until it succeeds, every 0.1 s for at most 30 s
# (a bound no working run comes near): false if it never did.
within_bound() {
    tries=0
    until "$@"; do
        [ "$tries" -lt 300 ] || return 1
        sleep 0.1
        tries=$((tries + 1))
    done
}

# A text of the X side first, which the run must replace. Wine takes in the
# X side's text on its own schedule: once versos-pegar.exe reads the marker
# from the Windows clipboard, a later take can't overwrite the run's text.
marker="not yet versos $$"
printf '%s' "$marker" | xclip -i -selection clipboard || exit 1
windows_has_marker() { [ "$("$wine" "$pegar" 2>/dev/null)" = "$marker" ]; }
within_bound windows_has_marker || { echo "Wine never took in the X side's text" >&2; exit 1; }

LC_ALL=ru_RU.UTF-8 "$wine" "$versos" A 1
status=$?
[ "$status" -eq 0 ] || { echo "versos.exe A 1 ended with $status" >&2; exit 1; }

# Wine hands the new text to the X display once the run has closed the
# clipboard, on its own schedule (first emptied, then the fragment): wait
# for the marker and the empty clipboard to go.
expected=$(printf 's\303\272bita tormenta')
x_side_changed() {
    got=$(xclip -o -selection clipboard 2>/dev/null) || got=
    [ -n "$got" ] && [ "$got" != "$marker" ]
}
within_bound x_side_changed
if [ "$got" != "$expected" ]; then
    printf 'xclip read "%s", expected "%s"\n' "$got" "$expected" >&2
    exit 1
fi
