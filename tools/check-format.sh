#!/usr/bin/env bash
# Fails, naming each file and line, where a C++ file of the product, tests or benchmarks is not
# formatted as .clang-format says. Fix with: clang-format -i <file>
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mapfile -d '' files < <(find engine tuio game tests bench -type f \
    \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 | sort -z)
echo "clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -1): ${#files[@]} files"
clang-format --dry-run -Werror "${files[@]}"
