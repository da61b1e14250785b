#!/usr/bin/env bash
# The native suite built with AddressSanitizer and UndefinedBehaviorSanitizer; its Wine checks
# compare the Windows builds with this build. The X11 editor end to end is step editor-x11's.
# Needs: the linux-sanitize, win32 and win64 presets, built here
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/build.sh linux-sanitize win32 win64
ctest --preset linux-sanitize -j2 -E '^editor_x11_end_to_end$'
