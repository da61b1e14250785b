"""Shared pieces of the Python tests: the build folder the module was found in, a small MIDI
file writer, and ulvo-dataset run as a user runs it."""
import os
import pathlib
import struct
import subprocess
import sys

import pytest
import ulvodraw

BUILD = pathlib.Path(ulvodraw.__file__).resolve().parent.parent
DATASET = BUILD / "ulvo-dataset"


def midi_file(path, events, division=480):
    """A format 0 file at 120 beats a minute (960 ticks a second): events are (tick, bytes)."""
    track = b""
    last = 0
    for tick, data in sorted(events, key=lambda e: e[0]):
        delta, var = tick - last, b""
        last = tick
        var = bytes([delta & 0x7F])
        delta >>= 7
        while delta:
            var = bytes([0x80 | (delta & 0x7F)]) + var
            delta >>= 7
        track += var + bytes(data)
    track += b"\x00\xff\x2f\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, division)
    pathlib.Path(path).write_bytes(header + b"MTrk" + struct.pack(">I", len(track)) + track)


def run_dataset(*args, check=True):
    """ulvo-dataset's exit status, output and errors."""
    done = subprocess.run([sys.executable, str(DATASET), *map(str, args)], capture_output=True,
                          text=True, timeout=120, env=dict(os.environ))
    if check and done.returncode != 0:
        raise AssertionError(f"ulvo-dataset {args} failed: {done.stderr}")
    return done


def folder_bytes(folder):
    """Every file under `folder` by its relative path, with its bytes."""
    folder = pathlib.Path(folder)
    return {str(p.relative_to(folder)): p.read_bytes()
            for p in sorted(folder.rglob("*")) if p.is_file()}


@pytest.fixture
def instrument():
    return ulvodraw.Instrument(preset="Jazz Organ")
