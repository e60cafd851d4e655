#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer + UndefinedBehaviorSanitizer followed by the
# hostile-call sweep, the threaded tests under ThreadSanitizer, and each fuzz target for a bounded
# time.
# usage: tools/test-sanitizers.sh [asan] [tsan] [fuzz] [sweep]
#   (no stage named: asan, tsan and fuzz, in order; sweep is the hostile-call sweep alone)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
export LP_NUM_THREADS=2
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
jobs="$(nproc)"

asan_options() {
    # Leak checking is on for everything; the window and sound back-ends keep what their
    # libraries hold out of it themselves (engine/util/LeakCheckPause.h).
    # The leak checker's guess at the size of a thread's dynamic TLS block goes wrong when the
    # GL driver's LLVM block lies just inside a page, and its tracer then crashes at exit: the
    # size is taken from the real calls instead.
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"
    export LSAN_OPTIONS="suppressions=$root/tools/sanitizers/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
}

build_asan() {
    bash tools/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=address,undefined \
        -DTESSALY_BUILD_BENCH=OFF "$@"
}

asan() {
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
    build_asan
    asan_options
    bash tools/with-display.sh ctest --test-dir build-asan --output-on-failure -j "$jobs" \
        --timeout 300
    run_sweep
}

# The hostile-call sweep (tests/scripting/hostile_sweep.py): every function and method of the
# tessaly module called with hostile arguments while the screens switch, for SWEEP_SECONDS with
# seed SWEEP_SEED: 2 unless given, so that CI's result does not depend on a draw; "random" takes
# one from the clock and prints it. The test suite runs it for 15 s with seed 1.
run_sweep() {
    echo "-- hostile-call sweep for ${SWEEP_SECONDS:-90} s"
    TESSALY_SWEEP_SECONDS="${SWEEP_SECONDS:-90}" TESSALY_SWEEP_SEED="${SWEEP_SEED:-2}" \
        bash tools/with-display.sh build-asan/tests/scripting/hostile_sweep_tests
}

sweep() {
    echo "== Hostile-call sweep (AddressSanitizer + UndefinedBehaviorSanitizer)"
    build_asan --target hostile_sweep_tests
    asan_options
    run_sweep
}

tsan() {
    echo "== ThreadSanitizer (threaded tests)"
    bash tools/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DTESSALY_SANITIZE=thread \
        -DTESSALY_BUILD_BENCH=OFF
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    # The script-thread tests run Python in the engine's window. The GL driver draws on the
    # calling thread: its own drawing threads share state in ways the sanitizer cannot see.
    LP_NUM_THREADS=0 bash tools/with-display.sh ctest --test-dir build-tsan --output-on-failure -L threads \
        -j "$jobs" --timeout 300
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
    asan | tsan | fuzz | sweep) "$stage" ;;
    *) echo "unknown stage '$stage'; usage: tools/test-sanitizers.sh [asan] [tsan] [fuzz] [sweep]" >&2; exit 2 ;;
    esac
done
