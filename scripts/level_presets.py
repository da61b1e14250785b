#!/usr/bin/env python3
"""Measures every factory preset as ulvo-render plays it and proposes the volume that brings it to
the bank's level.

Per preset: the largest momentary loudness (EBU R128, libebur128) of a chord C3 E3 G3 C4 at
velocity 100 held two seconds; the peak of an eight-note chord C2 to C6 at velocity 127; and, to
hear what short notes do, the peak of a 0.12 s C4 at velocity 100. The proposal moves each
preset's volume by its distance from the target loudness (by default the median of the bank), but
never so far up that the full chord's peak comes within 1 dB of the limit.

usage: scripts/level_presets.py [--build DIR] [--target LUFS] [--write]
  --build DIR    the build with ulvo-render and ulvodraw.lv2 (default build/linux)
  --target LUFS  the loudness to bring every preset to (default: the bank's median)
  --write        write the proposed volumes into presets/factory.presets
Exit status: 0 when every preset is within 3 LU of the median and every peak at most -1 dBFS,
1 otherwise, 2 for a mistake on the command line.
"""

import argparse
import array
import ctypes
import math
import os
import re
import statistics
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRESETS = os.path.join(ROOT, "presets", "factory.presets")
RATE = 44100
BAND_LU = 3.0
PEAK_LIMIT_DB = -1.0
# Kept below the peak limit, so that small changes to the engine do not take a preset over it.
MARGIN_DB = 1.0

LEVEL_CHORD = ([48, 52, 55, 60], 100, 2.0)
PEAK_CHORD = ([36, 43, 48, 55, 60, 67, 72, 84], 127, 2.0)
STACCATO = ([60], 100, 0.12)


def midi_file(notes, velocity, seconds):
    """A format 0 file at 120 bpm, 480 ticks a beat: the notes together, let go after `seconds`."""

    def var_length(n):
        out = [n & 0x7F]
        n >>= 7
        while n:
            out.insert(0, 0x80 | (n & 0x7F))
            n >>= 7
        return bytes(out)

    events = b"\x00\xff\x51\x03\x07\xa1\x20"
    for note in notes:
        events += b"\x00" + bytes([0x90, note, velocity])
    ticks = round(seconds * 960)
    for i, note in enumerate(notes):
        events += var_length(ticks if i == 0 else 0) + bytes([0x80, note, 0])
    events += b"\x00\xff\x2f\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480)
    return header + b"MTrk" + struct.pack(">I", len(events)) + events


def read_float_wav(path):
    """Interleaved 32-bit float samples and the channel count of a WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise RuntimeError(path + ": not a WAV file")
    pos, channels, samples = 12, 0, None
    while pos + 8 <= len(data):
        chunk, size = data[pos : pos + 4], struct.unpack("<I", data[pos + 4 : pos + 8])[0]
        body = data[pos + 8 : pos + 8 + size]
        if chunk == b"fmt ":
            kind, channels = struct.unpack("<HH", body[:4])
            bits = struct.unpack("<H", body[14:16])[0]
            if kind == 0xFFFE:
                kind = struct.unpack("<H", body[24:26])[0]
            if kind != 3 or bits != 32:
                raise RuntimeError(path + ": not 32-bit float")
        elif chunk == b"data":
            samples = array.array("f")
            samples.frombytes(body)
        pos += 8 + size + (size & 1)
    if samples is None or channels == 0:
        raise RuntimeError(path + ": no samples")
    return samples, channels


class Ebur128:
    MODE_M = 1

    def __init__(self):
        self.lib = ctypes.CDLL("libebur128.so.1")
        self.lib.ebur128_init.restype = ctypes.c_void_p
        self.lib.ebur128_init.argtypes = [ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.lib.ebur128_add_frames_float.argtypes = [
            ctypes.c_void_p,
            ctypes.POINTER(ctypes.c_float),
            ctypes.c_size_t,
        ]
        self.lib.ebur128_loudness_momentary.argtypes = [
            ctypes.c_void_p,
            ctypes.POINTER(ctypes.c_double),
        ]
        self.lib.ebur128_destroy.argtypes = [ctypes.POINTER(ctypes.c_void_p)]

    def momentary_max(self, samples, channels, rate):
        """The largest momentary loudness, looked at every 100 ms."""
        state = ctypes.c_void_p(self.lib.ebur128_init(channels, rate, self.MODE_M))
        if not state:
            raise RuntimeError("libebur128 could not start")
        step = rate // 10
        frames = len(samples) // channels
        buffer = (ctypes.c_float * len(samples)).from_buffer(samples)
        best = float("-inf")
        for start in range(0, frames, step):
            n = min(step, frames - start)
            pointer = ctypes.cast(
                ctypes.byref(buffer, start * channels * 4), ctypes.POINTER(ctypes.c_float)
            )
            self.lib.ebur128_add_frames_float(state, pointer, n)
            value = ctypes.c_double()
            self.lib.ebur128_loudness_momentary(state, ctypes.byref(value))
            best = max(best, value.value)
        self.lib.ebur128_destroy(ctypes.byref(state))
        return best


def peak_db(samples):
    peak = max(max(samples), -min(samples))
    return 20 * math.log10(peak) if peak > 0 else float("-inf")


def preset_sections(text):
    """(name, volume) in file order; the volume 0 when the section gives none."""
    result = []
    for match in re.finditer(r"^\[(.+?)\]\s*$", text, re.M):
        end = text.find("\n[", match.end())
        body = text[match.end() : end if end >= 0 else len(text)]
        volume = re.search(r"^volume\s*=\s*(\S+)", body, re.M)
        result.append((match.group(1).strip(), float(volume.group(1)) if volume else 0.0))
    return result


def render(tool, bundle, name, volume, take, folder, tag):
    notes, velocity, seconds = take
    midi = os.path.join(folder, tag + ".mid")
    wav = os.path.join(folder, tag + ".wav")
    with open(midi, "wb") as f:
        f.write(midi_file(notes, velocity, seconds))
    env = dict(os.environ, LV2_PATH=os.path.dirname(bundle), HOME=folder)
    command = [tool, "--plugin", bundle, "--preset", name, "--param", "volume=%g" % volume]
    command += ["--rate", str(RATE), "--bit-depth", "32f", "--tail", "1.5", midi, wav]
    subprocess.run(command, check=True, env=env, capture_output=True)
    return read_float_wav(wav)


def write_volumes(text, volumes):
    """The presets text with each section's volume set: in place, or else after its last value."""
    sections = re.split(r"^(?=\[)", text, flags=re.M)
    for i, section in enumerate(sections):
        header = re.match(r"\[(.+?)\]", section)
        if not header or header.group(1).strip() not in volumes:
            continue
        line = "volume = %s" % volumes[header.group(1).strip()]
        if re.search(r"^volume\s*=", section, re.M):
            sections[i] = re.sub(r"^volume\s*=.*$", line, section, flags=re.M)
        else:
            body = section.rstrip("\n")
            sections[i] = body + "\n" + line + "\n" + section[len(body) + 1 :]
    return "".join(sections)


def main():
    parser = argparse.ArgumentParser(add_help=True)
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "linux"))
    parser.add_argument("--target", type=float)
    parser.add_argument("--write", action="store_true")
    try:
        args = parser.parse_args()
    except SystemExit as stop:
        sys.exit(2 if stop.code else 0)
    tool = os.path.join(args.build, "ulvo-render")
    bundle = os.path.join(args.build, "ulvodraw.lv2")
    if not os.access(tool, os.X_OK) or not os.path.isdir(bundle):
        print("level_presets: no ulvo-render or ulvodraw.lv2 in " + args.build, file=sys.stderr)
        sys.exit(2)
    with open(PRESETS) as f:
        text = f.read()
    meter = Ebur128()
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for name, volume in preset_sections(text):
            samples, channels = render(tool, bundle, name, volume, LEVEL_CHORD, folder, "level")
            loudness = meter.momentary_max(samples, channels, RATE)
            peak = peak_db(render(tool, bundle, name, volume, PEAK_CHORD, folder, "peak")[0])
            short = peak_db(render(tool, bundle, name, volume, STACCATO, folder, "short")[0])
            rows.append((name, volume, loudness, peak, short))

    median = statistics.median(row[2] for row in rows)
    target = median if args.target is None else args.target
    proposed = {}
    print("%-24s %7s %9s %8s %8s %8s" % ("preset", "volume", "LUFS max", "vs med", "peak", "short"))
    for name, volume, loudness, peak, short in rows:
        # Toward the target, but never so far up that the full chord's peak leaves no margin.
        step = min(target - loudness, PEAK_LIMIT_DB - MARGIN_DB - peak)
        proposed[name] = "%g" % round(volume + step, 1)
        print(
            "%-24s %7.1f %9.2f %+8.2f %8.2f %8.2f -> volume %s"
            % (name, volume, loudness, loudness - median, peak, short, proposed[name])
        )
    spread = max(r[2] for r in rows) - min(r[2] for r in rows)
    worst = max(abs(r[2] - median) for r in rows)
    top = max(r[3] for r in rows)
    print(
        "median %.2f LUFS, spread %.2f LU, farthest %.2f LU from it, highest peak %.2f dBFS"
        % (median, spread, worst, top)
    )
    # Each preset's peak moves with its loudness: the loudest target that leaves them all room.
    room = min(r[2] - r[3] for r in rows) + PEAK_LIMIT_DB - MARGIN_DB
    print("loudest target with every peak %g dB under the limit: %.2f LUFS" % (MARGIN_DB, room))
    if args.write:
        new_text = write_volumes(text, proposed)
        with open(PRESETS + ".tmp", "w") as f:
            f.write(new_text)
        os.replace(PRESETS + ".tmp", PRESETS)
        print("volumes written to " + PRESETS)
    sys.exit(0 if worst <= BAND_LU and top <= PEAK_LIMIT_DB else 1)


if __name__ == "__main__":
    main()
