#!/bin/sh
# Fuzzes each target for SECONDS (default 60), one after the other, starting
# from the committed corpus; new finds go to fuzz/corpus-work/TARGET/ (not
# committed; merge the useful ones into fuzz/corpus/ with -merge=1).
#   fuzz/run.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
. fuzz/build.sh
for target in $FUZZ_TARGETS; do
    mkdir -p "fuzz/corpus-work/$target" "fuzz/corpus/$target"
    echo "== $target, ${seconds}s =="
    status=0
    "$FUZZ_BIN/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="fuzz/corpus-work/$target-" "fuzz/corpus-work/$target" "fuzz/corpus/$target" \
        >"build-fuzz/$target.log" 2>&1 || status=$?
    grep -E '^stat::(number_of_executed_units|new_units_added)|check failed|ERROR|SUMMARY' "build-fuzz/$target.log" || true
    if [ "$status" -ne 0 ]; then
        echo "$target failed: the input is in fuzz/corpus-work/$target-*, the log in build-fuzz/$target.log" >&2
        exit 1
    fi
done
