#!/bin/sh
# A run of versos on the file clipboard against /bin/true, as whole processes,
# interleaved. Goal: a ratio of at most 1.2, a fragment costing about what
# starting any process costs.
#   bench/versos_startup.sh BUILD_DIR [RUNS]
set -eu
build=${1:?usage: versos_startup.sh BUILD_DIR [RUNS]}
runs=${2:-2000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
VERSOS_CLIPBOARD_FILE=$dir/clipboard
export VERSOS_CLIPBOARD_FILE
"$build/bin/interleave" -n "$runs" -- "$build/bin/versos" B 12345 -- /bin/true
