#!/usr/bin/python3
"""Rendering at scale, measured side by side in one run: the ulvodraw module's render of a 4 s
note, ulvo-dataset's grid items per second with one and with two local workers, and one
ulvo-render process per item on the same notes.

    PYTHONPATH=build/linux/python bench/dataset_bench.py build/linux
"""
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import ulvodraw

KEYS, VELOCITIES = "21-92", "25,50,75,100,127"  # 360 items
ITEMS = 72 * 5


def render_factor(runs=50):
    instrument = ulvodraw.Instrument()
    instrument.render([(60, 100, 0, 4)], 5)  # the tables, built once a process
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        instrument.render([(60, 100, 0, 4)], 4)
        times.append(time.perf_counter() - started)
    return 4 / statistics.median(times)


def grid_rate(build, out, workers):
    started = time.perf_counter()
    subprocess.run([str(build / "ulvo-dataset"), "grid", str(out), "--presets", "Jazz Organ",
                    "--keys", KEYS, "--velocities", VELOCITIES, "--workers", str(workers)],
                   check=True, capture_output=True)
    return ITEMS / (time.perf_counter() - started)


def midi_note(path, key, velocity):
    """One note held 4 s at 120 beats a minute, then its end of track 1 s on."""
    track = bytes([0, 0x90, key, velocity, 0x9E, 0x00, 0x80, key, 0, 0x87, 0x40, 0xFF, 0x2F, 0])
    path.write_bytes(b"MThd\0\0\0\6\0\0\0\1\1\xe0MTrk" + len(track).to_bytes(4, "big") + track)


def render_process_rate(build, folder, count=20):
    started = time.perf_counter()
    for index in range(count):
        song = folder / f"note{index}.mid"
        midi_note(song, 48 + index % 24, 100)
        subprocess.run([str(build / "ulvo-render"), "--preset", "Jazz Organ", "--rate", "48000",
                        "--bit-depth", "32f", "--tail", "0", str(song), str(folder / "out.wav")],
                       check=True, capture_output=True)
    return count / (time.perf_counter() - started)


def resident_kib():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * resource.getpagesize() // 1024


def resident_growth(out, count=10000):
    """A worker's resident size after 100 and after `count` items of 1 s, as a worker renders
    them (ulvodraw_dataset.render_chunk, the audio kept in memory as --gather does)."""
    import ulvodraw_dataset

    values = ulvodraw.Instrument(preset="Jazz Organ").values()
    sizes = {}
    for index in range(count):
        item = {"item": f"i{index}", "values": values, "seconds": 1.0,
                "notes": [[21 + index % 88, 1 + index % 127, 0, 0.5]]}
        ulvodraw_dataset.render_chunk([item], str(out), 48000, "wav", True)
        if index + 1 in (100, count):
            sizes[index + 1] = resident_kib()
    return sizes[100], sizes[count]


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/linux").resolve()
    with tempfile.TemporaryDirectory() as temporary:
        folder = pathlib.Path(temporary)
        factor = render_factor()
        one = grid_rate(build, folder / "one", 1)
        shutil.rmtree(folder / "one")
        two = grid_rate(build, folder / "two", 2)
        shutil.rmtree(folder / "two")
        processes = render_process_rate(build, folder)
        early, late = resident_growth(folder)
    print(f"render of a 4 s note: {factor:.0f} times real time")
    print(f"grid, {ITEMS} items of 5 s: 1 worker {one:.1f} items/s, 2 workers {two:.1f} items/s "
          f"({two / one:.2f} times)")
    print(f"one ulvo-render process per item: {processes:.1f} items/s; grid with 1 worker "
          f"{one / processes:.1f} times, with 2 workers {two / processes:.1f} times that")
    print(f"a worker's resident size: {early} KiB after 100 items, {late} KiB after 10,000 "
          f"({(late - early) * 100 / early:+.1f} %)")


if __name__ == "__main__":
    main()
