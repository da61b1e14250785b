#!/usr/bin/env bash
# The sound, pinned: digests of the demo rendered with its patch at several block sizes, and of
# the fixed cross-build scenario. Any change to a sample changes a digest; a wanted change of sound
# is made by running this with --update and reviewing the new digests.txt in the diff.
#   render_digests.sh ULVO_RENDER ABI_HOST PLUGIN [--update]
set -euo pipefail
render=$1 abi_host=$2 plugin=$3 update=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t patch < "$root/demo/patch.args"

# Samples only, as raw 32-bit floats: headers may carry anything.
samples_digest() { sox -V1 "$1" -t raw -e floating-point -b 32 - | sha256sum | cut -d' ' -f1; }

{
    for block in 1 64 4096; do
        "$render" --plugin "$plugin" --bit-depth 32f --block "$block" "${patch[@]}" \
            "$root/demo/demo.mid" "$work/demo.wav" 2>/dev/null >/dev/null
        echo "demo-block-$block $(samples_digest "$work/demo.wav")"
    done
    "$abi_host" render "$plugin" "$work/scenario.raw"
    echo "cross-build-scenario $(sha256sum < "$work/scenario.raw" | cut -d' ' -f1)"
} > "$work/digests.txt"

if [ "$update" = --update ]; then
    cp "$work/digests.txt" "$here/digests.txt"
    echo "updated $here/digests.txt"
elif ! diff -u "$here/digests.txt" "$work/digests.txt"; then
    echo "FAILED: the rendered samples differ from the pinned ones (tests/golden/digests.txt)"
    exit 1
else
    echo "identical to the pinned digests: $(wc -l < "$here/digests.txt") renders"
fi
