#!/usr/bin/env python3
"""Writes a Standard MIDI File that holds VOICES notes for SECONDS seconds, then releases them:
the steady load under which instruments are compared per voice-sample.

    python3 bench/make_chord_midi.py OUTPUT.mid [VOICES] [SECONDS]
"""
import struct
import sys

PPQ = 480            # ticks per quarter note
TEMPO = 500000       # microseconds per quarter note: 120 bpm, 960 ticks a second


def var_length(value):
    """A variable-length quantity: seven bits a byte, most significant first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def chord_file(voices, seconds):
    # Notes spread over five octaves, as in a wide chord; all start together.
    notes = [36 + (i * 19) % 60 for i in range(voices)]
    hold = int(seconds * 1000000 / TEMPO * PPQ)
    body = var_length(0) + b"\xFF\x51\x03" + TEMPO.to_bytes(3, "big")
    for note in notes:
        body += var_length(0) + bytes([0x90, note, 100])
    for i, note in enumerate(notes):
        body += var_length(hold if i == 0 else 0) + bytes([0x80, note, 0])
    body += var_length(0) + b"\xFF\x2F\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, PPQ)
    return header + b"MTrk" + struct.pack(">I", len(body)) + body


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    voices = int(sys.argv[2]) if len(sys.argv) > 2 else 16
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
    if not 1 <= voices <= 16 or seconds <= 0:
        sys.exit("VOICES must be 1 to 16 and SECONDS above 0")
    with open(sys.argv[1], "wb") as f:
        f.write(chord_file(voices, seconds))


if __name__ == "__main__":
    main()
