#!/usr/bin/env bash
# The editor of both Windows builds end to end, under Wine on a virtual X display of its own:
# a test host opens the editor, xdotool moves its controls, the host checks the automation it
# receives (tests/abi_host/editor_e2e/drive_editor.py). Leaves a screenshot of each open editor
# in build/editor-win32.png and build/editor-win64.png.
#   50-editor-win32.sh [BUILD_DIR...]   (default: build/win32 build/win64)
# Needs: the win32 and win64 presets (without BUILD_DIR arguments), built here
set -euo pipefail
cd "$(dirname "$0")/../.."
export WINEDEBUG="${WINEDEBUG:--all}" WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
# No prompts for the .NET and HTML engines when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${ULVO_EDITOR_DISPLAY_UP:-}" ]; then
    [ $# -gt 0 ] || ./scripts/build.sh win32 win64
    # A wineserver left from an earlier step would keep that step's display: start afresh.
    wineserver -k 2>/dev/null || true
    ULVO_EDITOR_DISPLAY_UP=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

[ $# -gt 0 ] || set -- build/win32 build/win64
failed=0
for build in "$@"; do
    python3 tests/abi_host/editor_e2e/drive_editor.py "$build" "build/editor-$(basename "$build").png" ||
        failed=1
done
wineserver -k 2>/dev/null || true
exit "$failed"
