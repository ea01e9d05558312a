#!/bin/sh
# Without libxcb the X11 clipboard can't be opened, as with an unreachable
# display: versos changes nothing and exits 0, versos-pegar says why and
# exits 2. libxcb is hidden by mounting an empty file over it in a mount
# namespace of this test's own, which needs root.
#   without_libxcb.sh VERSOS VERSOS_PEGAR   (DISPLAY or VERSOS_TEST_DISPLAY set)
set -eu
versos=${1:?usage: without_libxcb.sh VERSOS VERSOS_PEGAR}
pegar=${2:?usage: without_libxcb.sh VERSOS VERSOS_PEGAR}
DISPLAY=${VERSOS_TEST_DISPLAY:-${DISPLAY:?neither VERSOS_TEST_DISPLAY nor DISPLAY is set}}
export DISPLAY
unset VERSOS_CLIPBOARD_FILE
skip=77
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root to hide libxcb"; exit $skip; }
library=$(ldconfig -p | sed -n 's/^[[:space:]]*libxcb\.so\.1 (.*x86-64.*) => //p' | head -n 1)
[ -n "$library" ] || library=$(ldconfig -p | sed -n 's/^[[:space:]]*libxcb\.so\.1 .* => //p' | head -n 1)
[ -n "$library" ] || { echo "libxcb.so.1 is not installed" >&2; exit 1; }
unshare -m true 2>/dev/null || { echo "skipped: no mount namespace to be had here"; exit $skip; }

printf 'before' | xclip -selection clipboard -i
# In the namespace: versos' status, then versos-pegar's output and status.
shown=$(unshare -m sh -c '
    mount --bind /dev/null "$(readlink -f "$1")" || exit 99
    "$2" k 1; echo "versos $?"
    "$3" 2>&1; echo "pegar $?"' sh "$library" "$versos" "$pegar")
after=$(xclip -selection clipboard -o)
"$versos" F 0 || true  # an unknown mode only empties the clipboard: xclip, its owner, leaves
case $shown in
    "versos 0
versos-pegar: cannot reach the clipboard: cannot load libxcb: "*"libxcb.so.1: "*"
pegar 2") ;;
    *) echo "without libxcb, wanted versos 0 and versos-pegar 2 naming libxcb; got:" >&2
       echo "$shown" >&2
       exit 1 ;;
esac
[ "$after" = before ] || { echo "without libxcb, versos changed the clipboard to '$after'" >&2; exit 1; }
echo "without libxcb: the X11 clipboard can't be opened, and nothing fails worse"
