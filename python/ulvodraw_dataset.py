"""ulvo-dataset: UlvoDraw rendered in bulk on a Dask cluster.

Items are described on the client (a grid of presets, keys and velocities, random patches, or
MIDI files), sent to the workers in chunks, rendered there by the ulvodraw module and written as
WAV or FLAC files under OUT/audio, each to a temporary name and then renamed. OUT/metadata.jsonl
holds one line per finished item; an item is done when its line is there and its file has the
size the line gives, so a second run renders only what is missing.
"""

import argparse
import hashlib
import io
import json
import math
import os
import sys
import time

import numpy
import soundfile
import ulvodraw

METADATA = "metadata.jsonl"
FORMATS = {"wav": ("WAV", "FLOAT"), "flac": ("FLAC", "PCM_24")}
# libsndfile's command that leaves out a float WAV file's PEAK chunk, which holds the time of
# writing: without it the same audio is the same bytes.
SET_ADD_PEAK_CHUNK = 0x1050


class DatasetError(Exception):
    """A fault in the command line or the output folder: one line for the user."""


# --- Items: plain dictionaries, so that they travel to the workers as they are. ---


def key_range(text):
    try:
        low, _, high = text.partition("-")
        low, high = int(low), int(high or low)
    except ValueError:
        raise DatasetError(f"--keys takes a key or a range such as 21-108, not '{text}'")
    if not 0 <= low <= high <= 127:
        raise DatasetError(f"--keys takes keys from 0 to 127, lowest first, not '{text}'")
    return list(range(low, high + 1))


def number_list(text, option):
    try:
        return [int(part) for part in text.split(",")]
    except ValueError:
        raise DatasetError(f"{option} takes whole numbers separated by commas, not '{text}'")


def file_name(text):
    """A name safe in a file system: letters, digits, '-' and '_'."""
    return "".join(c if c.isalnum() or c in "-_" else "_" for c in text)


def grid_items(args):
    names = args.presets.split(",") if args.presets else ulvodraw.presets()
    items = []
    for name in names:
        values = ulvodraw.Instrument(preset=name).values()  # checks the name
        for key in key_range(args.keys):
            for velocity in number_list(args.velocities, "--velocities"):
                item = f"{file_name(name.lower())}-{key:03d}-{velocity:03d}"
                items.append({"item": item, "preset": name, "key": key, "velocity": velocity,
                              "values": values, "notes": [[key, velocity, 0.0, args.seconds]],
                              "seconds": args.seconds + args.release})
    return items


def fixed_values(pairs):
    fixed = {}
    for pair in pairs:
        name, equals, value = pair.partition("=")
        if not equals:
            raise DatasetError(f"--fix takes NAME=VALUE, not '{pair}'")
        try:
            fixed[name] = float(value)
        except ValueError:
            fixed[name] = value  # a choice's name
    ulvodraw.Instrument(**fixed)  # checks names and values
    return fixed


def random_values(seed, index, fixed):
    """Every control drawn over its range from the seed and the item's number alone."""
    rng = numpy.random.default_rng([seed, index])
    values = {}
    for p in ulvodraw.parameters():
        if p["kind"] == "continuous":
            values[p["name"]] = float(rng.uniform(p["minimum"], p["maximum"]))
        else:
            values[p["name"]] = int(rng.integers(int(p["minimum"]), int(p["maximum"]) + 1))
    values.update(fixed)
    return ulvodraw.Instrument(**values).values()


def random_items(args):
    fixed = fixed_values(args.fix)
    if args.count < 0 or args.seed < 0:
        raise DatasetError("--count and --seed take whole numbers from 0")
    width = len(str(max(args.count - 1, 0)))
    return [{"item": f"random-{args.seed}-{index:0{width}d}", "seed": args.seed, "index": index,
             "key": args.key, "velocity": args.velocity,
             "values": random_values(args.seed, index, fixed),
             "notes": [[args.key, args.velocity, 0.0, args.seconds]],
             "seconds": args.seconds + args.release} for index in range(args.count)]


def midi_items(args):
    values = ulvodraw.Instrument(preset=args.preset).values()
    found = []
    for folder, _, files in os.walk(args.folder):
        for name in files:
            if name.lower().endswith((".mid", ".midi")):
                found.append(os.path.relpath(os.path.join(folder, name), args.folder))
    return [{"item": os.path.splitext(path)[0], "preset": args.preset, "values": values,
             "midi": os.path.join(os.path.abspath(args.folder), path), "tail": args.tail}
            for path in sorted(found)]


# --- Rendering, on the workers. ---


def render_item(item, rate, audio_format):
    """The item's audio file as bytes."""
    instrument = ulvodraw.Instrument(sample_rate=rate, **item["values"])
    if "midi" in item:
        audio = instrument.render_midi(item["midi"], tail=item["tail"])
    else:
        audio = instrument.render(item["notes"], item["seconds"])
    encoded = io.BytesIO()
    container, subtype = FORMATS[audio_format]
    with soundfile.SoundFile(encoded, "w", int(rate), 2, subtype, format=container) as out:
        soundfile._snd.sf_command(out._file, SET_ADD_PEAK_CHUNK, soundfile._ffi.NULL, 0)
        out.write(audio.T)
    return encoded.getvalue(), audio.shape[1]


def write_atomically(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    temporary = f"{path}.part-{os.getpid()}"
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)


def render_chunk(items, out, rate, audio_format, gather):
    """Renders a chunk; returns each item's metadata line (or its error), and its bytes when
    gathering."""
    results = []
    for item in items:
        record = {key: value for key, value in item.items() if key not in ("notes",)}
        record["file"] = f"audio/{item['item']}.{audio_format}"
        record["sample_rate"] = rate
        try:
            data, frames = render_item(item, rate, audio_format)
        except ulvodraw.Error as fault:
            results.append(({"item": item["item"], "error": str(fault)}, None))
            continue
        record["frames"] = frames
        record["bytes"] = len(data)
        record["sha256"] = hashlib.sha256(data).hexdigest()
        if not gather:
            write_atomically(os.path.join(out, record["file"]), data)
        results.append((record, data if gather else None))
    return results


# --- The client. ---


def finished_items(out):
    """Metadata lines whose file is there whole, by item; a line cut short is no item."""
    done = {}
    try:
        with open(os.path.join(out, METADATA), encoding="utf-8") as lines:
            for line in lines:
                try:
                    record = json.loads(line)
                except ValueError:
                    continue
                path = os.path.join(out, record.get("file", ""))
                if os.path.isfile(path) and os.path.getsize(path) == record.get("bytes"):
                    done[record["item"]] = record
    except FileNotFoundError:
        pass
    return done


def chunks(items, workers):
    size = max(1, min(64, math.ceil(len(items) / max(1, workers * 4))))
    return [items[i:i + size] for i in range(0, len(items), size)]


class InProcess:
    """One worker in this process, for --workers 1: no cluster to start."""

    class Done:
        def __init__(self, value):
            self.value = value

        def result(self):
            return self.value

    def submit(self, function, *args, pure=False):
        return lambda: self.Done(function(*args))

    def results(self, futures):
        for future in futures:
            yield future()

    def worker_count(self):
        return 1

    def close(self):
        pass


class OnDask:
    """The chunks on a Dask cluster, each as it finishes."""

    def __init__(self, client):
        self.client = client

    def submit(self, function, *args, pure=False):
        return self.client.submit(function, *args, pure=pure)

    def results(self, futures):
        from distributed import as_completed

        return as_completed(futures)

    def worker_count(self):
        return max(1, len(self.client.scheduler_info()["workers"]))

    def close(self):
        self.client.close()


def start_client(args):
    """Where the chunks run, and the local cluster to close afterwards if one was started."""
    if not args.scheduler and (args.workers or os.cpu_count() or 1) == 1:
        return InProcess(), None
    return start_dask(args)


def start_dask(args):
    import logging

    from distributed import Client, LocalCluster

    if args.scheduler:
        return OnDask(Client(args.scheduler)), None
    workers = args.workers or os.cpu_count() or 1
    # Spawned workers find both modules where this process found them.
    here = os.path.dirname(os.path.abspath(ulvodraw.__file__))
    os.environ["PYTHONPATH"] = os.pathsep.join(
        filter(None, [here, os.environ.get("PYTHONPATH", "")]))
    cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                           dashboard_address=None, silence_logs=logging.ERROR)
    return OnDask(Client(cluster)), cluster


class Progress:
    def __init__(self, total, stream):
        self.total, self.done, self.stream = total, 0, stream
        self.shown = stream.isatty() and total > 0

    def add(self, count):
        self.done += count
        if self.shown:
            filled = self.done * 30 // self.total
            self.stream.write(f"\r[{'#' * filled}{' ' * (30 - filled)}] {self.done}/{self.total}")
            self.stream.flush()

    def finish(self):
        if self.shown:
            self.stream.write("\n")


def run(args, items):
    out = args.out
    os.makedirs(out, exist_ok=True)
    done = finished_items(out)
    wanted = [item for item in items if item["item"] not in done]
    started = time.monotonic()
    failures, rendered_frames = [], 0
    if wanted:
        client, cluster = start_client(args)
        try:
            workers = client.worker_count()
            futures = [client.submit(render_chunk, chunk, out, args.rate, args.format,
                                     args.gather, pure=False)
                       for chunk in chunks(wanted, workers)]
            progress = Progress(len(wanted), sys.stderr)
            with open(os.path.join(out, METADATA), "a", encoding="utf-8") as metadata:
                for future in client.results(futures):
                    results = future.result()
                    for record, data in results:
                        if "error" in record:
                            failures.append(record)
                            continue
                        if data is not None:
                            write_atomically(os.path.join(out, record["file"]), data)
                        metadata.write(json.dumps(record, sort_keys=True) + "\n")
                        done[record["item"]] = record
                        rendered_frames += record["frames"]
                    metadata.flush()
                    progress.add(len(results))
            progress.finish()
        finally:
            client.close()
            if cluster is not None:
                cluster.close()
    # What a worker that died mid-write left behind: every chunk of this run is over.
    for folder, _, files in os.walk(os.path.join(out, "audio")):
        for name in files:
            if ".part-" in name:
                os.unlink(os.path.join(folder, name))
    # The metadata in item order, whatever order the workers finished in.
    order = {item["item"]: index for index, item in enumerate(items)}
    lines = "".join(json.dumps(done[name], sort_keys=True) + "\n"
                    for name in sorted(done, key=lambda name: order.get(name, len(order))))
    write_atomically(os.path.join(out, METADATA), lines.encode("utf-8"))
    for failure in failures:
        print(f"ulvo-dataset: {failure['item']}: {failure['error']}", file=sys.stderr)
    elapsed = time.monotonic() - started
    audio_seconds = rendered_frames / args.rate
    factor = audio_seconds / elapsed if elapsed > 0 else 0.0
    print(f"ulvo-dataset: {len(wanted) - len(failures)} items rendered, "
          f"{len(items) - len(wanted)} already there, {len(failures)} failed; "
          f"{audio_seconds:.1f} s of audio in {elapsed:.1f} s, {factor:.0f} times real time")
    return 1 if failures else 0


def parser():
    top = argparse.ArgumentParser(prog="ulvo-dataset",
                                  description="Renders UlvoDraw in bulk on a Dask cluster.",
                                  formatter_class=argparse.RawDescriptionHelpFormatter)
    top.add_argument("--version", action="version", version=f"ulvo-dataset {ulvodraw.__version__}")
    commands = top.add_subparsers(dest="command", required=True)

    def common(command):
        command.add_argument("out", help="output folder")
        command.add_argument("--format", choices=sorted(FORMATS), default="wav")
        command.add_argument("--rate", type=int, default=48000, help="sample rate in Hz")
        command.add_argument("--workers", type=int, help="local worker processes (default: "
                             "one per core)")
        command.add_argument("--scheduler", help="an existing cluster: tcp://HOST:PORT")
        command.add_argument("--gather", action="store_true",
                             help="send the audio back to this process to write")
        return command

    grid = common(commands.add_parser("grid", help="every preset, key and velocity"))
    grid.add_argument("--presets", help="names separated by commas (default: all)")
    grid.add_argument("--keys", default="21-108")
    grid.add_argument("--velocities", default="25,50,75,100,127")
    grid.add_argument("--seconds", type=float, default=4.0, help="how long the key is held")
    grid.add_argument("--release", type=float, default=1.0, help="seconds after the release")

    rand = common(commands.add_parser("random", help="random patches over every control"))
    rand.add_argument("--count", type=int, required=True)
    rand.add_argument("--seed", type=int, default=0)
    rand.add_argument("--fix", action="append", default=[], metavar="NAME=VALUE")
    rand.add_argument("--key", type=int, default=60)
    rand.add_argument("--velocity", type=int, default=100)
    rand.add_argument("--seconds", type=float, default=2.0)
    rand.add_argument("--release", type=float, default=1.0)

    midi = common(commands.add_parser("midi", help="every MIDI file under a folder"))
    midi.add_argument("folder")
    midi.add_argument("--preset", required=True)
    midi.add_argument("--tail", type=float, default=2.0)
    # Every command's options in the one --help, as the manual page has them.
    top.epilog = "commands:\n" + "".join(
        command.format_usage().replace("usage: ", "  ") for command in (grid, rand, midi))
    return top


def main(argv=None):
    args = parser().parse_args(argv)
    try:
        if args.workers is not None and args.workers < 1:
            raise DatasetError("--workers takes a whole number from 1")
        make = {"grid": grid_items, "random": random_items, "midi": midi_items}[args.command]
        return run(args, make(args))
    except (DatasetError, ulvodraw.Error) as fault:
        print(f"ulvo-dataset: {fault}", file=sys.stderr)
        return 2
