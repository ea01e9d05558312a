# Sourced by run.sh and regress.sh: builds the fuzz targets with clang in
# build-fuzz/ and sets FUZZ_BIN and FUZZ_TARGETS.
. scripts/deps.sh
need_packages cmake make clang-14 libclang-rt-14-dev
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERSOS_FUZZ=ON \
    -DVERSOS_BUILD_PROGRAMS=OFF -DVERSOS_BUILD_TESTS=OFF -DVERSOS_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target versos_fuzz -j2 >/dev/null
FUZZ_BIN=build-fuzz/bin
FUZZ_TARGETS="dcomprexe_fuzz dcomprexebis_fuzz dcodexef_fuzz decodexebisf_fuzz key_decoder_fuzz"
