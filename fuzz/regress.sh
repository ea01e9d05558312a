#!/bin/sh
# Runs every fuzz target once over its committed corpus: a regression test.
set -eu
cd "$(dirname "$0")/.."
. fuzz/build.sh
for target in $FUZZ_TARGETS; do
    count=$(ls "fuzz/corpus/$target" | wc -l)
    "$FUZZ_BIN/$target" -runs=0 "fuzz/corpus/$target" >"build-fuzz/$target.log" 2>&1 || {
        cat "build-fuzz/$target.log" >&2
        echo "$target: FAILED on its corpus" >&2
        exit 1
    }
    echo "$target: $count inputs passed"
done
