#!/usr/bin/env bash
# The native suite of the release build, with the Windows builds checked under Wine against it
# and the pinned sound. The X11 editor end to end is step editor-x11's.
# Needs: the linux, win32 and win64 presets, built here
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/build.sh linux win32 win64
ctest --preset linux -j2 -E '^editor_x11_end_to_end$'
