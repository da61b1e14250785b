#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite under AddressSanitizer
# and UndefinedBehaviorSanitizer, the Windows builds under Wine, and the extra steps in
# scripts/test_steps/ (fuzzers, thread and memory checks), in name order.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh
./scripts/build.sh
cmake --preset linux-sanitize >/dev/null
cmake --build --preset linux-sanitize
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
for step in scripts/test_steps/*.sh; do
    [ -e "$step" ] || continue
    echo "== $step"
    bash "$step"
done
ctest --preset linux-sanitize -j2
ctest --preset linux -j2
