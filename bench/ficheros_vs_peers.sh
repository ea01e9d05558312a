#!/bin/sh
# ficheros against its peers on a 256 MiB file of zero runs of many lengths
# between random bytes, in memory (tmpfs), timed as whole processes,
# interleaved (bench/interleave), each pair twice: on an idle machine, and
# with a busy loop kept on the other core (as on a shared desktop or CI
# machine). The timed commands run on the first core, the loop on the
# second. Prints each ratio (ficheros / peer; below 1.0 is ahead) and a
# table of them at the end.
#   copyf                             vs  cat (the kernel's copy)
#   codef, codebitf, decodebitf       vs  cat
#   comprexe, comprexebis             vs  lz4 -1
#   dcomprexe, dcomprexebis           vs  lz4 -d
#   codef over an old target          vs  cat over an old file
# Each command but those of that pair removes what it wrote last time first,
# inside its time, so both sides free 256 MiB and then write 256 MiB. That
# pair replaces instead: ficheros makes the new content whole beside the old
# before the old goes (nothing is lost if it fails), so it holds both for a
# moment and takes other pages each run, where cat empties its file first
# and can take back the pages it just freed; alternating the two, that
# alone has moved a ratio by a third on a virtual machine.
#   bench/ficheros_vs_peers.sh BUILD_DIR [RUNS]   (a Release build; default 10 runs)
# Goals: copyf and codef at most 1.1, codebitf and decodebitf at most 1.5,
# the codecs at most 1.0. Other work on the machine moves the numbers; run
# it when nothing else does, and say what else ran.
set -eu
build=$(cd "${1:?usage: ficheros_vs_peers.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-10}
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages lz4
cmake --build "$build" --target versos_ficheros interleave zero_run_sample -j2 >/dev/null

base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
dir=$(mktemp -d "$base/versos-bench-XXXXXX")
busy=
stop_busy() {
    if [ -n "$busy" ]; then
        kill "$busy" 2>/dev/null || true
        wait "$busy" 2>/dev/null || true  # 143: it was killed
        busy=
    fi
}
trap 'stop_busy; rm -rf "$dir"' EXIT
ficheros=$build/bin/ficheros
in=$dir/sample

"$build/bin/zero_run_sample" "$in" 268435456
"$ficheros" comprexe "$in" "$in.z" >/dev/null
"$ficheros" comprexebis "$in" "$in.zb" >/dev/null
"$ficheros" codebitf "$in" "$in.cb" CLAVE >/dev/null
lz4 -q -1 -f "$in" "$in.lz4"
echo "sample: $(wc -c <"$in") bytes; zero-run format $(wc -c <"$in.z"), extended $(wc -c <"$in.zb"), lz4 -1 $(wc -c <"$in.lz4")"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# name | peer | ficheros command | peer command (each one string for /bin/sh)
pairs() {
    cat <<PAIRS
copyf|cat|rm -f '$dir/a'; '$ficheros' copyf '$in' '$dir/a'|rm -f '$dir/b'; cat '$in' > '$dir/b'
codef|cat|rm -f '$dir/a'; '$ficheros' codef '$in' '$dir/a' CLAVE|rm -f '$dir/b'; cat '$in' > '$dir/b'
codef, replacing|cat, replacing|'$ficheros' codef '$in' '$dir/a' CLAVE|cat '$in' > '$dir/b'
codebitf|cat|rm -f '$dir/a'; '$ficheros' codebitf '$in' '$dir/a' CLAVE|rm -f '$dir/b'; cat '$in' > '$dir/b'
decodebitf|cat|rm -f '$dir/a'; '$ficheros' decodebitf '$in.cb' '$dir/a' CLAVE|rm -f '$dir/b'; cat '$in' > '$dir/b'
comprexe|lz4 -1|rm -f '$dir/a'; '$ficheros' comprexe '$in' '$dir/a'|rm -f '$dir/b'; lz4 -q -1 -f '$in' '$dir/b'
comprexebis|lz4 -1|rm -f '$dir/a'; '$ficheros' comprexebis '$in' '$dir/a'|rm -f '$dir/b'; lz4 -q -1 -f '$in' '$dir/b'
dcomprexe|lz4 -d|rm -f '$dir/a'; '$ficheros' dcomprexe '$in.z' '$dir/a'|rm -f '$dir/b'; lz4 -q -d -f '$in.lz4' '$dir/b'
dcomprexebis|lz4 -d|rm -f '$dir/a'; '$ficheros' dcomprexebis '$in.zb' '$dir/a'|rm -f '$dir/b'; lz4 -q -d -f '$in.lz4' '$dir/b'
PAIRS
}

# Runs every pair; appends "name ratio" lines to the file $1.
run_pairs() {
    pairs | while IFS='|' read -r name _ ours peer; do
        echo "== $name =="
        out=$($on_first_core "$build/bin/interleave" -n "$runs" -w 2 --shell -- "$ours" -- "$peer")
        echo "$out"
        echo "$name $(echo "$out" | sed -n 's/^ratio A\/B: \([0-9.]*\).*/\1/p')" >>"$1"
    done
    # Every result is what it should be (the last pair decodes).
    cmp "$dir/a" "$in"
    cmp "$dir/b" "$in"
}

on_first_core=
if command -v taskset >/dev/null && [ "$(nproc)" -gt 1 ]; then
    on_first_core="taskset -c 0"
fi

echo "=== idle ==="
run_pairs "$dir/idle"
echo "=== a busy loop on the other core ==="
if command -v taskset >/dev/null && [ "$(nproc)" -gt 1 ]; then
    taskset -c 1 sh -c 'while :; do :; done' &
else
    sh -c 'while :; do :; done' &
fi
busy=$!
run_pairs "$dir/busy"
stop_busy
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "| ficheros | peer | idle | other core busy |"
echo "|---|---|---|---|"
pairs | while IFS='|' read -r name label _; do
    printf '| %s | %s | %s | %s |\n' "$name" "$label" \
        "$(sed -n "s/^$name //p" "$dir/idle")" "$(sed -n "s/^$name //p" "$dir/busy")"
done
