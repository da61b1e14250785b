#!/usr/bin/env bash
# Renders the demo piece (demo/demo.mid) through the Linux build of UlvoDraw to out/demo.wav and
# draws its spectrogram to out/demo.png. Needs the linux preset built (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p out
# The demo's patch: a bright drawbar organ over the sine, a quick attack, a slightly resonant
# low-pass that opens with the envelope, and a short release (demo/patch.args, one argument a
# line). Drawbars are set in index order, as a program sets them.
mapfile -t patch < demo/patch.args
build/linux/ulvo-render "${patch[@]}" demo/demo.mid out/demo.wav
# Both outputs carry the same signal: one spectrogram of their mix.
sox out/demo.wav -n remix - spectrogram -x 1200 -y 513 -t "UlvoDraw demo" -o out/demo.png
echo "out/demo.png: spectrogram"
