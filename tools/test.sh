#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/install-deps.sh
bash tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Software rendering: two llvmpipe threads keep frames fast and steady.
export LP_NUM_THREADS=2
# Tests never reach a real sound card; sound tests pick their own backend.
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
bash tools/with-display.sh ctest --test-dir build --output-on-failure -j "$(nproc)"
