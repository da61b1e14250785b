#!/usr/bin/env bash
# Configures and builds the three plug-ins (and the native tools and tests) through the presets.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in linux win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
