"""The ulvodraw module: its controls, presets and errors, and renders that equal ulvo-render's
through the LV2 build and depend on nothing rendered before."""
import math
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

import numpy
import pytest
import soundfile
import ulvodraw
from conftest import BUILD, midi_file

NOTE = [(60, 100, 0.25, 0.5), (67, 80, 0.3, 0.4)]
MOVES = [(1, 100, 0.3), ("bend", 12000, 0.5)]


def test_parameters_presets_and_values():
    parameters = ulvodraw.parameters()
    names = [p["name"] for p in parameters]
    assert len(names) == len(set(names)) == 24
    defaults = ulvodraw.Instrument().values()
    assert list(defaults) == names
    assert all(math.isclose(defaults[p["name"]], p["default"], rel_tol=1e-6) for p in parameters)
    assert {"minimum", "maximum", "classic", "unit", "kind", "title"} <= set(parameters[0])
    presets = ulvodraw.presets()
    assert "Jazz Organ" in presets and len(presets) == len(set(presets))
    jazz = ulvodraw.Instrument(preset="jazz organ", volume=-6)
    assert jazz.values() != defaults and jazz.values()["volume"] == -6
    jazz.set(cutoff=0.25, oscillators="Classic")
    assert jazz.values()["cutoff"] == 0.25 and jazz.values()["oscillators"] == 0
    # One bad value and none of the set applies.
    with pytest.raises(ulvodraw.Error):
        jazz.set(cutoff=0.5, attack=3)
    assert jazz.values()["cutoff"] == 0.25
    jazz.reset()
    assert jazz.values() == ulvodraw.Instrument(preset="Jazz Organ", volume=-6).values()


@pytest.mark.parametrize("make, message", [
    (lambda: ulvodraw.Instrument(cutof=0.3), "no control is called 'cutof'; did you mean cutoff?"),
    (lambda: ulvodraw.Instrument(preset="Jaz Organ"), "did you mean Jazz Organ?"),
    (lambda: ulvodraw.Instrument(cutoff=1.5), "cutoff takes 0 to 1, not 1.5"),
    (lambda: ulvodraw.Instrument(cutoff=float("nan")), "not NaN"),
    (lambda: ulvodraw.Instrument(cutoff=[1]), "cutoff takes a number, not list"),
    (lambda: ulvodraw.Instrument(bend_range=2.5), "whole numbers from 1 to 24"),
    (lambda: ulvodraw.Instrument(oscillators="Clen"), "did you mean Clean?"),
    (lambda: ulvodraw.Instrument(sample_rate=44100.5), "sample_rate takes a whole number"),
    (lambda: ulvodraw.Instrument(tuning="/nowhere.scl"), "nowhere.scl"),
    (lambda: ulvodraw.Instrument().render([(60, 100, 0)], 1), "a note is (key, velocity"),
    (lambda: ulvodraw.Instrument().render([(128, 100, 0, 1)], 1), "key takes a whole number"),
    (lambda: ulvodraw.Instrument().render([(60, 0, 0, 1)], 1), "velocity takes a whole number"),
    (lambda: ulvodraw.Instrument().render([(60, 9, -1, 1)], 1), "start takes seconds"),
    (lambda: ulvodraw.Instrument().render([], float("inf")), "length takes seconds"),
    (lambda: ulvodraw.Instrument().render([], 1, [("wheel", 1, 0)]), "'bend' or 'pressure'"),
    (lambda: ulvodraw.Instrument().render([], 1, [("bend", 16384, 0)]), "bend takes"),
])
def test_bad_input_is_one_clear_error(make, message):
    with pytest.raises(ulvodraw.Error) as raised:
        make()
    assert message in str(raised.value) and "\n" not in str(raised.value)
    assert isinstance(raised.value, ValueError)


def test_a_damaged_midi_file_is_an_error(tmp_path):
    damaged = tmp_path / "damaged.mid"
    midi_file(damaged, [(0, [0x90, 60, 100]), (480, [0x80, 60, 0])])
    data = damaged.read_bytes()
    damaged.write_bytes(data[:-6] + b"\x00\x90\x3c\x90" + data[-2:])  # a status byte as data
    with pytest.raises(ulvodraw.Error, match="damaged.mid"):
        ulvodraw.Instrument().render_midi(str(damaged))


def test_samples_equal_ulvo_render_through_the_lv2_build(tmp_path, instrument):
    song = tmp_path / "song.mid"
    # At 960 ticks a second: the notes and moves of NOTE and MOVES.
    midi_file(song, [(240, [0x90, 60, 100]), (720, [0x80, 60, 0]), (288, [0x90, 67, 80]),
                     (672, [0x80, 67, 0]), (288, [0xB0, 1, 100]), (480, [0xE0, 12000 & 0x7F,
                                                                          12000 >> 7])])
    out = tmp_path / "song.wav"
    env = dict(os.environ, LV2_PATH=str(tmp_path))
    subprocess.run([str(BUILD / "ulvo-render"), "--plugin", str(BUILD / "ulvodraw.lv2"),
                    "--preset", "Jazz Organ", "--rate", "48000", "--bit-depth", "32f", "--tail",
                    "0.5", str(song), str(out)], check=True, capture_output=True, env=env)
    expected, rate = soundfile.read(out, dtype="float32")
    assert rate == 48000 and numpy.abs(expected).max() > 0.01
    from_file = instrument.render_midi(str(song), tail=0.5)
    from_notes = instrument.render(NOTE, 1.25, MOVES)  # the last event at 0.75 s
    assert from_file.dtype == numpy.float32 and from_file.shape == (2, expected.shape[0])
    numpy.testing.assert_array_equal(from_file, expected.T)
    numpy.testing.assert_array_equal(from_notes, expected.T)


def test_same_samples_after_other_renders_in_threads_and_processes(instrument):
    first = instrument.render(NOTE, 1.0, MOVES)
    other = ulvodraw.Instrument(preset="Full Organ", vibrato_depth=80)
    other.render([(40, 127, 0, 2)], 1.0, [(1, 127, 0)])  # leaves voices and a wheel behind
    instrument.render([(72, 127, 0, 2)], 0.5)            # and a note never released
    assert numpy.array_equal(instrument.render(NOTE, 1.0, MOVES), first)
    with ThreadPoolExecutor(4) as pool:
        renders = list(pool.map(lambda i: (i, i.render(NOTE, 1.0, MOVES)),
                                [instrument, other] * 4))
    assert all(numpy.array_equal(audio, first) for i, audio in renders if i is instrument)
    script = ("import sys, ulvodraw; i = ulvodraw.Instrument(preset='Jazz Organ'); "
              f"sys.stdout.buffer.write(i.render({NOTE!r}, 1.0, {MOVES!r}).tobytes())")
    elsewhere = subprocess.run([sys.executable, "-c", script], check=True, capture_output=True,
                               env=dict(os.environ)).stdout
    assert elsewhere == first.tobytes()



def peak_hz(audio, rate=48000):
    spectrum = numpy.abs(numpy.fft.rfft(audio[0], 8 * audio.shape[1]))
    return numpy.argmax(spectrum) * rate / (8 * audio.shape[1])


def test_a_tuning_file_retunes_and_stays_through_reset(tmp_path):
    quarter_tones = tmp_path / "quarter.scl"
    quarter_tones.write_text("! quarter.scl\nQuarter tones\n24\n!\n" +
                             "".join(f"{50 * step}.0\n" for step in range(1, 24)) + "2/1\n")
    sine = {f"drawbar_{foot}": 0 for foot in (2, 3, 4, 6, 8, 16)}
    tuned = ulvodraw.Instrument(tuning=str(quarter_tones), **sine)
    plain = ulvodraw.Instrument(**sine)
    # Two keys up is a quarter tone each in the scale, a semitone each in equal temperament.
    for instrument, cents in ((tuned, 100), (plain, 200)):
        low = peak_hz(instrument.render([(60, 100, 0, 1)], 1))
        high = peak_hz(instrument.render([(62, 100, 0, 1)], 1))
        assert math.isclose(high / low, 2 ** (cents / 1200), rel_tol=2e-3)
    before = tuned.render([(62, 100, 0, 0.5)], 0.5)
    tuned.set(cutoff=0.2)
    tuned.reset()
    assert numpy.array_equal(tuned.render([(62, 100, 0, 0.5)], 0.5), before)
