"""ulvo-dataset as a user runs it: the same bytes from one worker, two local workers and a
cluster of its own processes, with a worker killed mid-run too; re-runs that render only what is
missing; a damaged MIDI file reported while the rest renders."""
import contextlib
import json
import os
import signal
import socket
import subprocess
import sys
import time

import pytest
from conftest import DATASET, folder_bytes, midi_file, run_dataset

GRID = ["grid", "--presets", "Jazz Organ,Full Organ", "--keys", "60-61", "--velocities",
        "50,127", "--seconds", "0.2", "--release", "0.1"]
RANDOM = ["random", "--count", "6", "--seed", "7", "--fix", "volume=-6", "--seconds", "0.2",
          "--release", "0.1"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@contextlib.contextmanager
def cluster(tmp_path, workers=2):
    """A dask-scheduler and `workers` dask-worker processes on 127.0.0.1, always stopped."""
    port = free_port()
    address = f"tcp://127.0.0.1:{port}"
    bin_folder = os.path.dirname(sys.executable)
    logs = open(tmp_path / "cluster.log", "w")
    started = [subprocess.Popen([f"{bin_folder}/dask-scheduler", "--host", "127.0.0.1", "--port",
                                 str(port), "--no-dashboard"], stdout=logs, stderr=logs)]
    try:
        for _ in range(workers):
            started.append(subprocess.Popen(
                [f"{bin_folder}/dask-worker", address, "--nthreads", "1", "--no-nanny",
                 "--no-dashboard", "--local-directory", str(tmp_path / "workers")],
                stdout=logs, stderr=logs))
        from distributed import Client

        with Client(address, timeout=30) as client:
            client.wait_for_workers(workers, timeout=60)
        yield address, started[1:]
    finally:
        for process in reversed(started):
            process.kill()
            process.wait()
        logs.close()


@pytest.fixture(scope="module")
def one_worker(tmp_path_factory):
    """The grid and the random set from one local worker, which the other runs must equal."""
    out = tmp_path_factory.mktemp("one")
    run_dataset(*GRID[:1], out / "grid", *GRID[1:], "--workers", "1")
    run_dataset(*RANDOM[:1], out / "random", *RANDOM[1:], "--workers", "1")
    return {"grid": folder_bytes(out / "grid"), "random": folder_bytes(out / "random")}


def test_one_worker_gives_every_item_once_with_its_metadata(one_worker):
    grid = one_worker["grid"]
    assert len([name for name in grid if name.startswith("audio/")]) == 8
    lines = [json.loads(line) for line in grid["metadata.jsonl"].decode().splitlines()]
    assert [line["item"] for line in lines][:2] == ["jazz_organ-060-050", "jazz_organ-060-127"]
    import hashlib

    for line in lines:
        assert hashlib.sha256(grid[line["file"]]).hexdigest() == line["sha256"]
        assert line["preset"] in ("Jazz Organ", "Full Organ") and len(line["values"]) == 24
    random = [json.loads(line) for line in one_worker["random"]["metadata.jsonl"].splitlines()]
    assert len(random) == 6 and all(line["values"]["volume"] == -6 for line in random)
    assert len({json.dumps(line["values"]) for line in random}) == 6


def test_two_local_workers_and_gather_give_the_same_bytes(one_worker, tmp_path):
    run_dataset(*GRID[:1], tmp_path / "grid", *GRID[1:], "--workers", "2")
    run_dataset(*RANDOM[:1], tmp_path / "random", *RANDOM[1:], "--workers", "2", "--gather")
    assert folder_bytes(tmp_path / "grid") == one_worker["grid"]
    assert folder_bytes(tmp_path / "random") == one_worker["random"]


def test_a_second_run_renders_only_what_is_missing_or_cut_short(one_worker, tmp_path):
    out = tmp_path / "grid"
    run_dataset(*GRID[:1], out, *GRID[1:], "--workers", "1")
    (out / "audio" / "full_organ-061-127.wav").unlink()
    cut = out / "audio" / "jazz_organ-060-050.wav"
    cut.write_bytes(cut.read_bytes()[:100])
    (out / "audio" / "jazz_organ-061-050.wav.part-99").write_bytes(b"a dead worker's")
    again = run_dataset(*GRID[:1], out, *GRID[1:], "--workers", "1")
    assert "2 items rendered, 6 already there" in again.stdout
    assert folder_bytes(out) == one_worker["grid"]


def test_a_cluster_of_its_own_processes_gives_the_same_bytes(one_worker, tmp_path):
    with cluster(tmp_path) as (address, _):
        run_dataset(*GRID[:1], tmp_path / "grid", *GRID[1:], "--scheduler", address)
        run_dataset(*RANDOM[:1], tmp_path / "random", *RANDOM[1:], "--scheduler", address)
    assert folder_bytes(tmp_path / "grid") == one_worker["grid"]
    assert folder_bytes(tmp_path / "random") == one_worker["random"]


def test_a_worker_killed_mid_run_loses_nothing(tmp_path):
    args = ["random", "--count", "24", "--seed", "3", "--seconds", "6", "--release", "0",
            "--format", "flac"]
    run_dataset(*args[:1], tmp_path / "alone", *args[1:], "--workers", "1")
    out = tmp_path / "killed"
    with cluster(tmp_path) as (address, workers):
        run = subprocess.Popen([sys.executable, str(DATASET), args[0], str(out), *args[1:],
                                "--scheduler", address], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
        metadata = out / "metadata.jsonl"
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and not (metadata.exists() and metadata.stat().st_size):
            time.sleep(0.01)
        workers[0].send_signal(signal.SIGKILL)
        lines_at_kill = len(metadata.read_text().splitlines())
        stdout, stderr = run.communicate(timeout=120)
    assert run.returncode == 0, stderr
    assert 0 < lines_at_kill < 24
    assert folder_bytes(out) == folder_bytes(tmp_path / "alone")


def test_a_damaged_midi_file_is_reported_and_the_rest_rendered(tmp_path):
    songs = tmp_path / "songs"
    (songs / "set").mkdir(parents=True)
    for name in ("one.mid", "set/two.mid", "set/damaged.mid"):
        midi_file(songs / name, [(0, [0x90, 60, 100]), (240, [0x80, 60, 0])])
    damaged = songs / "set" / "damaged.mid"
    damaged.write_bytes(damaged.read_bytes()[:30])  # the track runs past the file's end
    out = tmp_path / "out"
    done = run_dataset("midi", out, songs, "--preset", "Jazz Organ", "--tail", "0.1",
                       "--workers", "1", check=False)
    assert done.returncode == 1
    assert "set/damaged: " in done.stderr and "damaged.mid" in done.stderr
    assert "2 items rendered, 0 already there, 1 failed" in done.stdout
    assert sorted(folder_bytes(out)) == ["audio/one.wav", "audio/set/two.wav", "metadata.jsonl"]
