#!/usr/bin/env bash
# UlvoDraw and Debian's amsynth side by side: ulvo-render --bench plays the same MIDI file through
# both plug-ins in one process, run by run in turn so that both share the machine's conditions,
# and prints each one's CPU time per frame and per voice-sample and the ratio per voice-sample.
# It compares held chords of 1, 8 and 16 voices and the demo piece (or the MIDI files given).
#
#   bench/compare_amsynth.sh [MIDI...]
#
# BUILD (default build/linux) names the build folder, RUNS (default 9) the runs per plug-in, of
# which the median counts, AMSYNTH (default /usr/lib/vst/amsynth_vst.so) amsynth's plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/linux}"
runs="${RUNS:-9}"
amsynth="${AMSYNTH:-/usr/lib/vst/amsynth_vst.so}"
for file in "$build/ulvo-render" "$build/UlvoDraw.so" "$amsynth"; do
    [ -e "$file" ] || { echo "compare_amsynth: $file is missing (build the linux preset; apt-get install amsynth)" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    for voices in 1 8 16; do
        python3 bench/make_chord_midi.py "$work/chord_$voices.mid" "$voices" 10
        files+=("$work/chord_$voices.mid")
    done
    files+=(demo/demo.mid)
fi

printf '%-16s %14s %14s %8s\n' "MIDI file" "UlvoDraw ns" "amsynth ns" "ratio"
for midi in "${files[@]}"; do
    report="$("$build/ulvo-render" --bench --runs "$runs" --plugin "$build/UlvoDraw.so" \
        --plugin "$amsynth" "$midi")"
    # One line per plug-in: "PATH: X ns per frame, Y ns per voice-sample, ..."; then the ratio.
    ours="$(grep -F "$build/UlvoDraw.so:" <<<"$report" | sed -E 's/.* ([0-9.]+) ns per voice-sample.*/\1/')"
    theirs="$(grep -F "$amsynth:" <<<"$report" | sed -E 's/.* ([0-9.]+) ns per voice-sample.*/\1/')"
    ratio="$(grep -F "per voice-sample: " <<<"$report" | tail -1 | sed -E 's/.*: ([0-9.]+)$/\1/')"
    printf '%-16s %14s %14s %8s\n' "$(basename "$midi")" "$ours" "$theirs" "$ratio"
done
echo "ns per voice-sample (voices as the MIDI file holds them), median of $runs runs each;"
echo "ratio: amsynth's cost over UlvoDraw's."
