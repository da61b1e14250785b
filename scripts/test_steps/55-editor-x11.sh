#!/usr/bin/env bash
# The Linux editor end to end on a virtual X display of its own: a test host of the binary
# interface opens the editor of build/linux/UlvoDraw.so, xdotool moves its controls, and the host
# checks the automation it receives and the pixels the form shows
# (tests/editor_x11/drive_editor_x11.py). Leaves a screenshot of the open editor in
# build/editor-x11.png, to compare with build/editor-win32.png, and as the README's picture in
# docs/editor.png (without the timestamps ImageMagick writes, so that the same pixels give the
# same file). The native suites leave this test to this step, so that it runs once.
# Needs: the linux preset, built here
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/build.sh linux
tests/editor_x11/with_xvfb.sh python3 tests/editor_x11/drive_editor_x11.py \
    build/linux/editor_x11_host build/linux/UlvoDraw.so build/editor-x11.png
convert build/editor-x11.png -strip docs/editor.png
