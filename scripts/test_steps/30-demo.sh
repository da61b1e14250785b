#!/usr/bin/env bash
# The demo: the committed MIDI file is what its script writes, and the README's main command
# renders it to out/demo.wav and out/demo.png. The spectrogram is also the README's, in
# docs/demo-spectrogram.png (without timestamps, so that the same picture gives the same file).
# Needs: the linux preset, built here
set -euo pipefail
cd "$(dirname "$0")/../.."
./scripts/build.sh linux
regenerated=$(mktemp --suffix=.mid)
trap 'rm -f "$regenerated"' EXIT
python3 demo/make_demo_midi.py "$regenerated"
cmp demo/demo.mid "$regenerated" || { echo "demo/demo.mid differs from what demo/make_demo_midi.py writes"; exit 1; }
rm -f out/demo.wav out/demo.png
./scripts/render_demo.sh
# About 20 seconds of music plus the 2-second tail, in stereo, and a picture.
seconds=$(soxi -D out/demo.wav)
channels=$(soxi -c out/demo.wav)
python3 -c "import sys; s = float('$seconds'); sys.exit(0 if 20 <= s <= 25 else 1)" \
    || { echo "out/demo.wav lasts $seconds s"; exit 1; }
[ "$channels" = 2 ] || { echo "out/demo.wav has $channels channels"; exit 1; }
python3 -c "import sys; sys.exit(open('out/demo.png', 'rb').read(8) != b'\\x89PNG\\r\\n\\x1a\\n')" \
    || { echo "out/demo.png is not a PNG"; exit 1; }
convert out/demo.png -strip docs/demo-spectrogram.png
echo "demo: $seconds s, $channels channels, spectrogram drawn and copied to docs/"
