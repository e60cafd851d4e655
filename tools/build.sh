#!/usr/bin/env bash
# Configures and builds one build folder:
#   tools/build.sh <folder> [cmake options...] [--target <name>]...
# Without --target everything is built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$1"; shift
options=()
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then
        targets+=(--target "$2"); shift 2
    else
        options+=("$1"); shift
    fi
done
jobs="$(nproc)"
# The generated scripting wrapper and the sanitizer builds are memory hungry; cap parallelism.
if [ "$jobs" -gt 8 ]; then jobs=8; fi
mkdir -p "$root/$dir"
cmake -S "$root" -B "$root/$dir" "${options[@]}" > "$root/$dir/configure.log" 2>&1 || { cat "$root/$dir/configure.log"; exit 1; }
cmake --build "$root/$dir" -j "$jobs" "${targets[@]}"
