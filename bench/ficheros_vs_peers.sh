#!/bin/sh
# ficheros against its peers on a 256 MiB file of zero runs of many lengths
# between random bytes, in memory (tmpfs), timed as whole processes,
# interleaved (bench/interleave). Goal: every ratio at most 1.0.
#   comprexe, comprexebis  vs  lz4 -1
#   dcomprexe              vs  lz4 -d
#   codef                  vs  cat
#   bench/ficheros_vs_peers.sh BUILD_DIR [RUNS]   (a Release build; default 10 runs)
set -eu
build=$(cd "${1:?usage: ficheros_vs_peers.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-10}
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages lz4
cmake --build "$build" --target ficheros interleave zero_run_sample -j2 >/dev/null

base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
dir=$(mktemp -d "$base/versos-bench-XXXXXX")
trap 'rm -rf "$dir"' EXIT
ficheros=$build/bin/ficheros
interleave() { "$build/bin/interleave" -n "$runs" "$@"; }

"$build/bin/zero_run_sample" "$dir/sample" 268435456
"$ficheros" comprexe "$dir/sample" "$dir/sample.z" >/dev/null
"$ficheros" comprexebis "$dir/sample" "$dir/sample.zb" >/dev/null
lz4 -q -1 -f "$dir/sample" "$dir/sample.lz4"
echo "sample: $(wc -c <"$dir/sample") bytes; zero-run format $(wc -c <"$dir/sample.z"), extended $(wc -c <"$dir/sample.zb"), lz4 -1 $(wc -c <"$dir/sample.lz4")"

echo "== comprexe against lz4 -1 =="
interleave -- "$ficheros" comprexe "$dir/sample" "$dir/a" -- lz4 -q -1 -f "$dir/sample" "$dir/b"
echo "== comprexebis against lz4 -1 =="
interleave -- "$ficheros" comprexebis "$dir/sample" "$dir/a" -- lz4 -q -1 -f "$dir/sample" "$dir/b"
echo "== dcomprexe against lz4 -d =="
interleave -- "$ficheros" dcomprexe "$dir/sample.z" "$dir/a" -- lz4 -q -d -f "$dir/sample.lz4" "$dir/b"
cmp "$dir/a" "$dir/sample" && cmp "$dir/b" "$dir/sample"
echo "== codef against cat (both through /bin/sh) =="
interleave --shell -- "'$ficheros' codef '$dir/sample' '$dir/a' CLAVE" -- "cat '$dir/sample' > '$dir/b'"
