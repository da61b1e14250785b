#!/usr/bin/env bash
# Renders the demo piece (demo/demo.mid) through the Linux build of UlvoDraw to out/demo.wav and
# draws its spectrogram to out/demo.png. Needs the linux preset built (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p out
# The demo's patch: a bright drawbar organ over the sine, a quick attack, a slightly resonant
# low-pass that opens with the envelope, and a short release. Drawbars are set in index order,
# as a program sets them.
build/linux/ulvo-render \
    --param A=0.12 --param D=0.45 --param S=0.6 --param R=0.4 \
    --param CutOff=0.5 --param Q=0.4 --param Type=0 --param Env=0.6 \
    --param 2=0.8 --param 4=0.5 --param 8=0.25 --param 16=0 --param 6=0.3 --param 3=0.6 \
    --param Wave=0 --param Smooth=0.1 \
    demo/demo.mid out/demo.wav
# Both outputs carry the same signal: one spectrogram of their mix.
sox out/demo.wav -n remix - spectrogram -x 1200 -y 513 -t "UlvoDraw demo" -o out/demo.png
echo "out/demo.png: spectrogram"
