#!/bin/sh
# Runs the examples that the README and the pages of doc/ show, as they are
# shown, so that they can't drift from what the programs and libraries do.
#
# A block fenced as "```sh example" holds commands, each on a line of its own
# after "$ ", and after each the exact output it must print; the commands of
# one block run in order, in a folder of their own, with the programs of the
# build first on PATH and a file clipboard. A block fenced as
# "```cpp example" is a program (or, without a main of its own, the body of
# main), compiled against the build's libraries and run; an "```output"
# block right after it is what it must print. Every command and program
# must exit 0.
#   run_examples.sh BIN_DIR "COMPILER FLAGS..." "LIBRARIES..." FILE.md...
set -eu
usage="usage: run_examples.sh BIN_DIR COMPILE LIBRARIES FILE.md..."
bin=$(cd "${1:?$usage}" && pwd)
compile=${2:?$usage}
libraries=${3:?$usage}
shift 3
work=$(mktemp -d "${TMPDIR:-/tmp}/versos-examples-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/blocks"

# Each example into blocks/NNN.sh or NNN.cpp (NNN.out for a program's output),
# with NNN.where naming the file and line it starts on.
for file in "$@"; do
    awk -v out="$work/blocks" -v name="$file" -v first="$(ls "$work/blocks" | grep -c '\.where$' || true)" '
        BEGIN { n = first; inside = 0; after_cpp = 0 }
        /^```/ {
            if (inside) { inside = 0; close(target); after_cpp = (kind == "cpp"); next }
            info = substr($0, 4)
            if (info == "sh example" || info == "cpp example") {
                n++; kind = substr(info, 1, index(info, " ") - 1)
                target = sprintf("%s/%03d.%s", out, n, kind)
                printf "%s:%d\n", name, NR > sprintf("%s/%03d.where", out, n)
                printf "" > target; inside = 1; next
            }
            if (info == "output" && after_cpp) {
                kind = "out"; target = sprintf("%s/%03d.out", out, n)
                printf "" > target; inside = 1; next
            }
            after_cpp = 0; next
        }
        inside { print > target; next }
        /[^ \t]/ { after_cpp = 0 }
    ' "$file"
done

count=0
failed=0
fail() {  # what
    echo "$(cat "$where"): $1" >&2
    failed=$((failed + 1))
}

# Runs one command of a sh block in the block's folder and checks what it printed.
check_command() {  # command expected-file
    count=$((count + 1))
    status=0
    (cd "$dir" && env -i PATH="$bin:/usr/bin:/bin" HOME="$dir" LC_ALL=C.UTF-8 \
         VERSOS_CLIPBOARD_FILE="$dir/.clipboard" sh -c "$1" >"$work/actual" 2>"$work/errors" </dev/null) || status=$?
    if [ "$status" -ne 0 ]; then
        fail "'$1' exited $status: $(cat "$work/errors")"
    elif ! cmp -s "$2" "$work/actual"; then
        fail "'$1' printed:
$(cat "$work/actual")
instead of:
$(cat "$2")"
    fi
}

for where in "$work"/blocks/*.where; do
    [ -e "$where" ] || continue
    block=${where%.where}
    dir=$(mktemp -d "$work/run-XXXXXX")
    if [ -e "$block.sh" ]; then
        command=""
        : >"$work/expected"
        while IFS= read -r line || [ -n "$line" ]; do
            case $line in
                '$ '*)
                    [ -z "$command" ] || check_command "$command" "$work/expected"
                    command=${line#'$ '}
                    : >"$work/expected" ;;
                *) printf '%s\n' "$line" >>"$work/expected" ;;
            esac
        done <"$block.sh"
        [ -z "$command" ] || check_command "$command" "$work/expected"
    else
        count=$((count + 1))
        source=$dir/example.cpp
        if grep -q 'int main' "$block.cpp"; then
            cp "$block.cpp" "$source"
        else
            { printf '#include <versos/consola.h>\n#include <versos/generador.h>\n#include <versos/util.h>\n'
              printf '#include <cstdint>\n#include <cstdio>\n\nint main()\n{\n'
              cat "$block.cpp"
              printf '}\n'; } >"$source"
        fi
        # shellcheck disable=SC2086  # the compile command and the libraries are words
        if ! $compile "$source" $libraries -o "$dir/example" 2>"$work/errors"; then
            fail "does not compile: $(cat "$work/errors")"
            continue
        fi
        status=0
        (cd "$dir" && env -i PATH=/usr/bin:/bin HOME="$dir" LC_ALL=C.UTF-8 VERSOS_CLIPBOARD_FILE="$dir/.clipboard" \
             ./example >"$work/actual" 2>"$work/errors" </dev/null) || status=$?
        if [ "$status" -ne 0 ]; then
            fail "the program exited $status: $(cat "$work/errors")"
        elif [ -e "$block.out" ] && ! cmp -s "$block.out" "$work/actual"; then
            fail "the program printed:
$(cat "$work/actual")
instead of:
$(cat "$block.out")"
        fi
    fi
done

if [ "$count" -eq 0 ]; then
    echo "no examples found in $*" >&2
    exit 1
fi
if [ "$failed" -ne 0 ]; then
    echo "$failed of $count examples went wrong" >&2
    exit 1
fi
echo "$count examples ran as shown"
