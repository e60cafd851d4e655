#!/usr/bin/env bash
# Installs what is missing, builds the game and runs it from the repository root.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash tools/install-deps.sh
# Only the program: tests and benchmarks are left to tools/test.sh.
bash tools/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo --target flockmar
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "flockmar needs an X display, and none answers (DISPLAY='${DISPLAY:-}')." >&2
    echo "Run it on a desktop, or under a virtual one: bash tools/private-display.sh bash tools/run.sh" >&2
    exit 1
fi
exec build/flockmar
