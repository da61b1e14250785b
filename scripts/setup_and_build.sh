#!/usr/bin/env bash
# The main job: installs what is missing, builds the three plug-ins and the tools, and renders
# the demo piece to out/demo.wav with its spectrogram in out/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh
./scripts/build.sh
./scripts/render_demo.sh
