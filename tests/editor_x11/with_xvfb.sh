#!/usr/bin/env bash
# Runs a command on a virtual X display of its own: Xvfb picks a free display number itself, so
# that tests running side by side never share or fight over one. Exits 77 (skipped) without
# Xvfb.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is missing (Debian: xvfb)"
    exit 77
fi
dir=$(mktemp -d)
# -noreset: the server stays up between tests that close their last connection, instead of
# resetting while the next one tries to open a display.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"${ULVO_XVFB_LOG:-$dir/xvfb.log}" &
server=$!
cleanup() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
for _ in $(seq 200); do
    [ -s "$dir/display" ] && break
    sleep 0.05
done
if [ ! -s "$dir/display" ]; then
    echo "Xvfb did not start:"
    cat "$dir/xvfb.log"
    exit 1
fi
DISPLAY=":$(head -n1 "$dir/display")"
export DISPLAY
"$@"
