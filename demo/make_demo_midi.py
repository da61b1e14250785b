#!/usr/bin/env python3
"""Writes demo.mid, the piece that shows off UlvoDraw: about 20 seconds in A minor, with chords,
a bass line, a melody, a pitch bend in a solo break, and a ritardando into the last chord.

Run it again after changing the piece: python3 demo/make_demo_midi.py [OUTPUT]
"""
import struct
import sys
from pathlib import Path

PPQ = 480          # ticks per quarter note
BAR = 4 * PPQ      # 4/4


def var_length(value):
    """A variable-length quantity: seven bits a byte, most significant first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track_chunk(events):
    """events: (absolute tick, bytes); written in time order with delta times."""
    body = b""
    now = 0
    for tick, data in sorted(events, key=lambda e: e[0]):
        body += var_length(tick - now) + data
        now = tick
    body += var_length(0) + b"\xff\x2f\x00"  # end of track
    return b"MTrk" + struct.pack(">I", len(body)) + body


def name(text):
    return b"\xff\x03" + var_length(len(text)) + text.encode()


def tempo(bpm):
    return b"\xff\x51\x03" + struct.pack(">I", round(60_000_000 / bpm))[1:]


def note(channel, start, length, key, velocity):
    """A note-on and its note-off (a note-on with velocity 0, as many sequencers write it)."""
    return [(start, bytes([0x90 | channel, key, velocity])),
            (start + length, bytes([0x90 | channel, key, 0]))]


def bend(channel, tick, amount):
    """Pitch bend, amount from -1 to 1 (a semitone at full scale in the classic builds).

    Coarse steps only, the fine byte 0: the VST 2 build reads the upper seven bits alone, and the
    other builds with their classic controls then play exactly the same bend."""
    value = max(0, min(16383, round(8192 + amount * 8192)))
    return [(tick, bytes([0xE0 | channel, 0, value >> 7]))]


# One chord per bar: Am F C G Am F E Am, voiced close around middle C.
CHORDS = [[57, 60, 64], [57, 60, 65], [55, 60, 64], [55, 59, 62],
          [57, 60, 64], [57, 60, 65], [56, 59, 64], [57, 60, 64, 69]]
ROOTS = [45, 41, 48, 43, 45, 41, 40, 45]


def chords():
    events = [(0, name("Chords"))]
    for bar, chord in enumerate(CHORDS):
        start = bar * BAR
        if bar == 3:  # the break: one stab, then the melody's bend alone
            hits = [(0, PPQ)]
        elif bar == 7:
            hits = [(0, BAR)]
        else:  # on beat 1 and on the "and" of 2, pushing into beat 3
            hits = [(0, PPQ + PPQ // 2), (3 * PPQ // 2 + PPQ, PPQ * 2 - PPQ // 2)]
        for offset, length in hits:
            for key in chord:
                events += note(0, start + offset, length - 20, key, 72)
    return events


def bass():
    events = [(0, name("Bass"))]
    for bar, root in enumerate(ROOTS):
        start = bar * BAR
        if bar == 3:
            events += note(1, start, PPQ - 20, root, 96)
        elif bar == 7:
            events += note(1, start, BAR, root, 100)
        else:
            for beat, (step, key) in enumerate([(0, root), (1, root), (2, root + 7), (3, root + 12)]):
                events += note(1, start + step * PPQ, PPQ // 2, key, 100 if beat == 0 else 84)
    return events


# (bar, beat, length in quarters, key); beats count from 0.
MELODY = [(0, 0, 1.5, 76), (0, 1.5, 0.5, 74), (0, 2, 1, 72), (0, 3, 1, 71),
          (1, 0, 2, 72), (1, 2, 1, 69), (1, 3, 1, 72),
          (2, 0, 1.5, 79), (2, 1.5, 0.5, 76), (2, 2, 2, 76),
          (4, 0, 1.5, 76), (4, 1.5, 0.5, 77), (4, 2, 1, 76), (4, 3, 1, 74),
          (5, 0, 1, 72), (5, 1, 1, 74), (5, 2, 2, 76),
          (6, 0, 1, 74), (6, 1, 1, 71), (6, 2, 1, 68), (6, 3, 1, 71),
          (7, 0, 4, 69)]


def melody():
    events = [(0, name("Melody"))]
    for bar, beat, quarters, key in MELODY:
        events += note(2, bar * BAR + round(beat * PPQ), round(quarters * PPQ) - 30, key, 100)
    # The break in bar 4: B4 slides up a semitone to C5 and falls back, on its own.
    start = 3 * BAR + PPQ
    events += note(2, start, 3 * PPQ - 30, 71, 104)
    steps = 24
    for i in range(steps + 1):  # up over an eighth note, from the second eighth of the note
        events += bend(2, start + PPQ // 2 + i * (PPQ // 2) // steps, i / steps)
    for i in range(steps + 1):  # and back down over the last quarter
        events += bend(2, start + 2 * PPQ + i * PPQ // steps, 1 - i / steps)
    return events


def conductor():
    events = [(0, name("UlvoDraw demo")), (0, b"\xff\x58\x04\x04\x02\x18\x08"), (0, tempo(96))]
    # Ritardando through the last two bars.
    for i, bpm in enumerate([92, 86, 80, 74, 68, 62]):
        events.append((6 * BAR + 2 * PPQ + i * PPQ, tempo(bpm)))
    return events


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("demo.mid")
    tracks = [conductor(), chords(), bass(), melody()]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    out.write_bytes(header + b"".join(track_chunk(t) for t in tracks))


if __name__ == "__main__":
    main()
