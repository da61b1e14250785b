#!/usr/bin/env bash
# Formatting: every C++ file the repository tracks is as clang-format 14 writes it with the
# project's .clang-format; names each file that differs. `clang-format-14 --style=file -i FILE`
# mends one. Then the include map: every project include within what its folder's line in the
# README allows (scripts/check_includes.py names each one outside).
# Needs: clang-format-14, python3
set -euo pipefail
cd "$(dirname "$0")/../.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
differing=()
for file in "${files[@]}"; do
    clang-format-14 --style=file --dry-run --Werror "$file" >/dev/null 2>&1 || differing+=("$file")
done
if [ ${#differing[@]} -gt 0 ]; then
    printf 'format: differs from clang-format-14 --style=file: %s\n' "${differing[@]}"
    exit 1
fi
echo "format: ${#files[@]} files as clang-format writes them"
/usr/bin/python3 scripts/check_includes.py
