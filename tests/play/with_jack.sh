#!/usr/bin/env bash
# Runs a command beside a private JACK server on the dummy backend (48000 Hz, 64-frame periods),
# named after this script's process so that runs side by side never share one; the command finds
# it through JACK_DEFAULT_SERVER. Exits 77 (skipped) without jackd.
set -uo pipefail
if ! command -v jackd >/dev/null; then
    echo "jackd is missing (Debian: jackd2)"
    exit 77
fi
name="ulvo-test-$$"
log=$(mktemp)
JACK_NO_AUDIO_RESERVATION=1 jackd -n "$name" -d dummy -r 48000 -p 64 >"$log" 2>&1 &
server=$!
cleanup() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -f "$log"
}
trap cleanup EXIT
# Stopped from outside (a time limit), the server goes too.
trap 'exit 143' TERM INT
export JACK_DEFAULT_SERVER="$name"
if ! jack_wait -w -t 10 >/dev/null 2>&1; then
    echo "the private JACK server did not start:"
    cat "$log"
    exit 1
fi
"$@"
