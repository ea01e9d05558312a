#!/bin/sh
# Builds the verse command, runs it once and shows the fragment it put on the
# clipboard.   scripts/run.sh [MODE [SEED]]   (default: mode B, a seed from the clock)
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages cmake g++ make scdoc libxcb1-dev libxau-dev libxdmcp-dev
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVERSOS_BUILD_TESTS=OFF &&
       cmake --build build --target versos versos-pegar -j"$(nproc)"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "The build failed." >&2
    exit 1
fi
mode=${1:-B}
seed=${2:-$(date +%s)}
status=0
build/bin/versos "$mode" "$seed" || status=$?
echo "versos $mode $seed: exit status $status"
printf 'clipboard: "'
build/bin/versos-pegar || true
echo '"'
