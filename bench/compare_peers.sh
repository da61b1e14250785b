#!/usr/bin/env bash
# UlvoDraw (its VST 2 and LV2 builds) beside Debian's amsynth (VST 2) and setBfree's organ (LV2)
# at each block size: ulvo-render --bench plays the same MIDI file through all of them in one
# process, run by run in turn so that all share the machine's conditions, and this prints each
# one's CPU time per voice-sample, one table per MIDI file with a row per block size.
#
#   bench/compare_peers.sh [MIDI...]
#
# Without MIDI files it compares an 8-note chord and the demo piece. BUILD (default build/linux)
# names the build folder, RUNS (default 5) the runs per plug-in, of which the median counts,
# BLOCKS (default "16 32 64 128 256 512 1024 2048") the block sizes, AMSYNTH (default
# /usr/lib/vst/amsynth_vst.so) and SETBFREE (default http://gareus.org/oss/lv2/b_synth) the peers;
# a peer that is not installed is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build/linux}"
runs="${RUNS:-5}"
blocks="${BLOCKS:-16 32 64 128 256 512 1024 2048}"
amsynth="${AMSYNTH:-/usr/lib/vst/amsynth_vst.so}"
setbfree="${SETBFREE:-http://gareus.org/oss/lv2/b_synth}"
for file in "$build/ulvo-render" "$build/UlvoDraw.so" "$build/ulvodraw.lv2"; do
    [ -e "$file" ] || { echo "compare_peers: $file is missing (build the linux preset)" >&2; exit 1; }
done

plugins=("$build/UlvoDraw.so" "https://korvane.example/ulvodraw")
names=("UlvoDraw VST 2" "UlvoDraw LV2")
if [ -e "$amsynth" ]; then plugins+=("$amsynth"); names+=("amsynth VST 2"); fi
if [ -n "$setbfree" ] && lv2info "$setbfree" >/dev/null 2>&1; then
    plugins+=("$setbfree")
    names+=("setBfree LV2")
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    python3 bench/make_chord_midi.py "$work/chord_8.mid" 8 10
    files=("$work/chord_8.mid" demo/demo.mid)
fi

arguments=()
for plugin in "${plugins[@]}"; do arguments+=(--plugin "$plugin"); done
for midi in "${files[@]}"; do
    echo "$(basename "$midi"): ns per voice-sample, median of $runs runs"
    printf '%-6s' block
    printf ' %16s' "${names[@]}"
    printf '\n'
    for block in $blocks; do
        report="$("$build/ulvo-render" --bench --runs "$runs" --block "$block" "${arguments[@]}" \
            "$midi")"
        printf '%-6s' "$block"
        # One line per plug-in: "PLUGIN: X ns per frame, Y ns per voice-sample, ...".
        for plugin in "${plugins[@]}"; do
            printf ' %16s' "$(grep -F "$plugin: " <<<"$report" |
                sed -E 's/.* ([0-9.]+) ns per voice-sample.*/\1/')"
        done
        printf '\n'
    done
    echo
done
