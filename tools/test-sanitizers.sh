#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded
# tests under ThreadSanitizer, and each fuzz target for a bounded time.
# usage: tools/test-sanitizers.sh [asan] [tsan] [fuzz]   (no stage named: all three, in order)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
export LP_NUM_THREADS=2
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
jobs="$(nproc)"

asan() {
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
    bash tools/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=address,undefined \
        -DTESSALY_BUILD_BENCH=OFF
    # Leak checking is on for everything; the window and sound back-ends keep what their
    # libraries hold out of it themselves (engine/util/LeakCheckPause.h).
    # The leak checker's guess at the size of a thread's dynamic TLS block goes wrong when the
    # GL driver's LLVM block lies just inside a page, and its tracer then crashes at exit: the
    # size is taken from the real calls instead.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"
    export LSAN_OPTIONS="suppressions=$root/tools/sanitizers/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    bash tools/with-display.sh ctest --test-dir build-asan --output-on-failure -j "$jobs" \
        --timeout 300
}

tsan() {
    echo "== ThreadSanitizer (threaded tests)"
    bash tools/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=thread \
        -DTESSALY_BUILD_BENCH=OFF
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    ctest --test-dir build-tsan --output-on-failure -L threads -j "$jobs" --timeout 300
}

fuzz() {
    echo "== Fuzz targets (bounded)"
    CC=clang CXX=clang++ bash tools/build.sh build-fuzz -DCMAKE_BUILD_TYPE=Debug \
        -DTESSALY_BUILD_FUZZ=ON -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF
    local targets=(build-fuzz/fuzz/*_fuzz)
    [ -x "${targets[0]}" ] || { echo "no fuzz targets were built" >&2; return 1; }
    for target in "${targets[@]}"; do
        local name corpus seeds
        name="$(basename "$target")"
        corpus="build-fuzz/corpus-$name"
        mkdir -p "$corpus"
        seeds="tests/fuzz/corpus/${name%_fuzz}"
        [ -d "$seeds" ] || seeds=""
        echo "-- $name for ${FUZZ_SECONDS:-60} s"
        "$target" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 "$corpus" $seeds
    done
}

bash tools/install-deps.sh
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(asan tsan fuzz)
for stage in "${stages[@]}"; do
    case "$stage" in
    asan | tsan | fuzz) "$stage" ;;
    *) echo "unknown stage '$stage'; usage: tools/test-sanitizers.sh [asan] [tsan] [fuzz]" >&2; exit 2 ;;
    esac
done
