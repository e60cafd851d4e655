#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded
# tests under ThreadSanitizer, and each fuzz target for a bounded time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/install-deps.sh
export LP_NUM_THREADS=2
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
jobs="$(nproc)"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
bash tools/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=address,undefined \
    -DTESSALY_BUILD_BENCH=OFF
# Leaks inside the GL driver and X libraries are not ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
bash tools/with-display.sh ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer (threaded tests)"
bash tools/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=thread \
    -DTESSALY_BUILD_BENCH=OFF
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --test-dir build-tsan --output-on-failure -L threads -j "$jobs"

echo "== Fuzz targets (bounded)"
CC=clang CXX=clang++ bash tools/build.sh build-fuzz -DCMAKE_BUILD_TYPE=Debug \
    -DTESSALY_BUILD_FUZZ=ON -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF
shopt -s nullglob
for target in build-fuzz/fuzz/*_fuzz; do
    name="$(basename "$target")"
    corpus="build-fuzz/corpus-$name"
    mkdir -p "$corpus"
    seeds="tests/fuzz/corpus/${name%_fuzz}"
    [ -d "$seeds" ] || seeds=""
    echo "-- $name for ${FUZZ_SECONDS:-60} s"
    "$target" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 "$corpus" $seeds
done
