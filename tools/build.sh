#!/usr/bin/env bash
# Configures and builds one build folder: tools/build.sh <folder> [cmake options...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$1"; shift
jobs="$(nproc)"
# The generated scripting wrapper and the sanitizer builds are memory hungry; cap parallelism.
if [ "$jobs" -gt 8 ]; then jobs=8; fi
mkdir -p "$root/$dir"
cmake -S "$root" -B "$root/$dir" "$@" > "$root/$dir/configure.log" 2>&1 || { cat "$root/$dir/configure.log"; exit 1; }
cmake --build "$root/$dir" -j "$jobs"
