#!/usr/bin/env bash
# Configures and builds presets: by default the three plug-ins (and the native tools and tests),
# or the presets named.
#   scripts/build.sh [PRESET...]   (linux, linux-sanitize, win32, win64)
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- linux win32 win64
for preset in "$@"; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
