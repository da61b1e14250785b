#!/usr/bin/env python3
"""Writes the fuzzers' seed inputs: short host sessions that reach every path once, in the
byte encoding of tests/fuzz/fuzz_input.h. Run it from anywhere; it rewrites the seed files."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u8(v): return bytes([v & 0xFF])
def u16(v): return struct.pack('<H', v & 0xFFFF)
def u32(v): return struct.pack('<I', v & 0xFFFFFFFF)


def any_int(v):
    return u8(v + 8) if 0 <= v + 8 < 200 else u8(255) + u32(v)


def unit_float(x): return u16(round(x * 65535))
def any_float_unit(x): return u8(64) + unit_float(x)
def any_float_special(i): return u8(i)  # index into FuzzInput's table of special values
def any_float_raw(f): return u8(200) + struct.pack('<f', f)
def text(s): return u8(len(s)) + s.encode()
def frames(n): return u16(n)


def render(n, replacing=True, start=0.5):
    return frames(n) + (u8(0) if replacing else u8(1) + unit_float(start))


def notes(events):  # (delta, note, velocity)
    out = u8(len(events) - 1)
    for delta, note, velocity in events:
        out += u8(delta) + u8(note) + u8(velocity - 1)
    return out


def midi(status, data1, data2, delta=0, event_type=None):
    out = u8(0 if event_type is None else 224 + event_type)
    out += u32(32) + u8(0) + frames(delta)
    out += u32(0) + u32(0) + u32(0) + bytes([status, data1, data2, 0]) + bytes(4)
    return u8(1) + out  # not a null entry


def event_list(events, nulls=0):
    out = u8(len(events) + nulls)
    out += b''.join(events)
    out += u8(0) * nulls  # selector 0: a null entry
    return out


# Dispatcher fuzzer: selector % 10: 0 write, 1 read, 2 render, 3 notes, 4 editor, 5..9 opcode.
def call(opcode, index=0, value=0, opt=any_float_raw(44100.0), ptr=True, text_in=None):
    out = u8(5) + u8(opcode) + any_int(index) + any_int(value) + opt + u8(1 if ptr else 0)
    if text_in is not None:
        out += text(text_in)
    return out


TEXT_OPCODES = {4: 'seed', 27: '0.5', 51: 'receiveVstMidiEvent'}


def dispatcher_seeds():
    every = b''
    for opcode in range(0, 81):
        if opcode == 1:
            continue
        every += call(opcode, 0, 1, text_in=TEXT_OPCODES.get(opcode))
    every += u8(2) + render(512)
    every += call(1) + call(12, 0, 1) + u8(3) + notes([(0, 60, 100)]) + u8(2) + render(333)
    nulls = b''.join(call(op, 3, 0, ptr=False) for op in range(0, 81) if op != 1)
    texts = b''
    for index in (-1, 0, 7, 15, 16, 31, 32):
        for opcode in (5, 6, 7, 8, 29, 33, 34, 45, 46, 47, 48):
            texts += call(opcode, index, 0)
    beyond = b''.join(u8(5) + u8(b) + any_int(5) + any_int(-1) + any_float_special(0) + u8(1)
                      for b in (81, 82, 83, 85, 90, 92))
    play = (u8(3) + notes([(0, 60, 127), (3, 64, 90), (7, 67, 60)]) +
            u8(0) + any_int(4) + any_float_unit(1.0) + u8(2) + render(4096) +
            call(10, 0, 0, any_float_raw(48000.0)) + u8(2) + render(1, replacing=False) +
            call(2, 0, 5) + call(30, 9) + u8(2) + render(4095) + u8(1) + any_int(4))
    editor = (u8(4) + u8(4) + u8(0) + u8(4) + u8(1) + any_int(0) + any_int(20) +
              u8(4) + u8(2) + u8(4) + u16(100) + u16(100) + u8(2) + u16(140) + u16(60) +
              u16(90) + u16(300) + u8(4) + u8(3) + u8(0) + any_int(4) + any_float_special(3) +
              u8(4) + u8(0) + call(13) + call(15) + call(14) + call(14) + call(15) + u8(4) + u8(0))
    return {'every_opcode': every, 'null_pointers': nulls, 'text_answers': texts,
            'opcodes_beyond': beyond, 'play_and_switch': play, 'editor_at_work': editor}


# Event fuzzer: selector % 6: 0..2 list, 3..4 render, 5 parameter write.
def event_seeds():
    chord = event_list([midi(0x90, n, 100, d) for d, n in ((0, 60), (10, 64), (20, 67))])
    offs = event_list([midi(0x80, 60, 0, 5), midi(0x90, 64, 0, 9), midi(0x80, 67, 64, 300)])
    play = u8(0) + chord + u8(3) + render(256) + u8(0) + offs + u8(3) + render(4096)
    bend = (u8(0) + event_list([midi(0x90, 69, 127), midi(0xE0, 0, 127, 1), midi(0xE0, 0x7F, 0, 2)])
            + u8(3) + render(64) + u8(0) + event_list([midi(0xB0, 126, 0), midi(0xB0, 123, 0)])
            + u8(3) + render(63))
    ring = u8(0) + event_list([midi(0x90 | (n % 16), 40 + n, 1 + n, n) for n in range(40)])
    ring += u8(3) + render(1000) + u8(5) + u8(3) + unit_float(1.0) + u8(3) + render(2000)
    mixed = (u8(0) + event_list([midi(0x90, 60, 100), midi(0xA0, 1, 2), midi(0xC0, 3, 0),
                                 midi(0xD0, 4, 0), midi(0xF0, 5, 6),
                                 midi(0x90, 61, 100, event_type=6)], nulls=2)
             + u8(3) + render(17, replacing=False))
    edge_counts = u8(0) + u8(240) + u8(0) + u8(241) + u8(0) + u8(242) + u8(3) + render(5)
    return {'play_chord': play, 'bend_and_silence': bend, 'ring_of_forty': ring,
            'other_types_and_nulls': mixed, 'empty_and_negative_counts': edge_counts}


# Parameter fuzzer: selector % 10: 0..1 write, 2 write all, 3 rate, 4 program, 5 notes,
# 6 displays, 7 editor, 8..9 render.
def parameter_seeds():
    specials = b''
    for index in range(16):
        specials += u8(0) + u8(index) + any_float_special(index * 3 % 64)
    specials += u8(5) + notes([(0, 0, 127), (1, 127, 1), (2, 64, 64)]) + u8(8) + render(2048)
    specials += u8(6) + u8(8) + render(777, replacing=False)
    every = b''
    for start in (0, 16, 32, 48):
        every += u8(2) + b''.join(any_float_special(start + i) for i in range(16))
        every += u8(5) + notes([(0, 60, 100)]) + u8(8) + render(1024) + u8(6)
    rates = b''
    for f in (0.0, -44100.0, float('inf'), float('nan'), 1e-30, 1.0, 8000.0, 192000.0, 44100.0):
        rates += u8(3) + u8(1) + any_float_raw(f) + u8(5) + notes([(0, 69, 100)]) + u8(8) + render(99)
    rates += u8(3) + u8(0) + any_int(512) + any_float_raw(48000.0)
    programs = (u8(4) + u8(0) + u8(3) + u8(0) + u8(4) + any_float_unit(0.8) +
                u8(4) + u8(1) + u8(7) + u8(4) + u8(2) + text('a name longer than twenty-four') +
                u8(4) + u8(3) + u8(4) + u8(0) + u8(255) + any_int(-1) +
                u8(4) + u8(1) + u8(255) + any_int(32) + u8(8) + render(300))
    polled = u8(7)
    for start in (0, 16, 32, 48):
        polled += u8(2) + b''.join(any_float_special(start + i) for i in range(16))
        polled += u8(7) + u8(0) + u8(7) + u8(3)
    return {'special_values': specials, 'every_parameter': every, 'sample_rates': rates,
            'programs': programs, 'editor_polls_any_value': polled}


# CLAP fuzzer: a rate, then steps, selector % 8: 0..2 block, 3 flush, 4 load, 5 save, 6 texts,
# 7 reset, reactivation or main-thread call.
def clap_event(kind, time=0, body=b'', sizing=0, space=None):
    # type, sizing (0: the type's own size), time (even selector: 16 bits), space (selector 1:
    # the core space), flags
    space_part = u8(1) if space is None else u8(0) + u16(space)
    return u8(kind) + u8(sizing) + u8(0) + u16(time) + space_part + u8(0) + body


def clap_double(x): return u8(0) + any_float_unit(x)
def clap_double_special(i): return u8(0) + any_float_special(i)
def clap_double_raw(f): return u8(200) + struct.pack('<d', f)


def clap_note(kind, time, note_id, key, velocity=0.0, channel=0):
    key_part = u8(1) + u8(key + 1)
    channel_part = u8(1) + u8(channel + 1)
    return clap_event(kind, time, any_int(note_id) + any_int(0) + channel_part + key_part +
                      clap_double(velocity))


def clap_param(time, param, value, sizing=0):
    return clap_event(5, time, u8(1) + u8(param) + u8(1) + u8(1) + value, sizing)


def clap_midi(time, status, data1, data2):
    return clap_event(10, time, u16(0) + bytes([status, data1, data2]) + bytes(35))


def clap_block(frames_count, events, outputs=3):
    return u8(0) + u16(frames_count) + u8(outputs) + u8(len(events)) + b''.join(events)


def clap_seeds():
    play = (u8(0) +
            clap_block(512, [clap_note(0, 0, 1, 60, 0.8), clap_midi(3, 0x90, 64, 100),
                             clap_param(100, 4, clap_double(0.3)), clap_midi(200, 0xE0, 0, 100)]) +
            clap_block(4096, [clap_note(1, 10, 1, -1), clap_midi(20, 0x80, 64, 0),
                              clap_note(0, 30, 2, 67, 1.0, 3), clap_midi(40, 0xB0, 64, 127),
                              clap_midi(50, 0xC0, 5, 0), clap_note(2, 4000, -1, -1)]) +
            clap_block(1, [clap_note(0, 0, 3, 72, 0.0)]))
    specials = [clap_param(0, i % 23, clap_double_special(i)) for i in range(0, 46, 2)]
    hostile = (u8(0) + clap_block(256, [clap_midi(0, 0x90, 60, 100)] + specials[:12]) + clap_block(256, specials[12:]) +
               u8(3) + u8(4) + clap_param(0, 16, clap_double_raw(1e300)) +
               clap_param(0, 25, clap_double(0.5)) + clap_param(0, 22, clap_double_raw(-1e300)) +
               clap_param(0, 18, clap_double_raw(float('nan'))) +
               u8(6) + u8(1) + u8(16) + clap_double_raw(-6.0) + u8(16) + text('-6 dB') +
               u8(6) + u8(1) + u8(21) + clap_double(1.0) + u8(3) + text('natural') +
               u8(6) + u8(1) + u8(4) + clap_double_special(0) + u8(40) + text('0.5'))
    states = (u8(0) + u8(5) + u8(0) + u8(4) + u8(2) + u16(300) + u8(6) + u8(1) +
              u8(4) + u8(2) + u16(5000) + u8(12) + u8(0) + u16(1000) +
              u8(4) + u8(1) + text('0 0.5\nprogram 3 1 2 3 name') + u8(0) + u8(1) +
              u8(4) + u8(0) + text('ulvodraw-bank') + u8(63) + u8(1) +
              clap_block(64, [clap_midi(0, 0x90, 60, 90)]))
    odd = (u8(0) +
           clap_block(300, [clap_param(0, 4, clap_double(0.2), sizing=205),
                            clap_event(0, 5000, any_int(1) + any_int(0) + u8(1) + u8(1) + u8(1) +
                                       u8(61) + clap_double(0.5), sizing=250),
                            clap_event(4, 10, bytes(40)), clap_event(11, 10, u32(100)),
                            clap_event(12, 10, bytes(40)), clap_event(13, 10, bytes(40)),
                            clap_midi(2000, 0x90, 62, 80), clap_event(9, 3, bytes(40), space=7)]) +
           clap_block(200, [clap_note(0, 0, 4, 64, 0.5)], outputs=1) +
           clap_block(200, [clap_note(1, 0, 4, 64)], outputs=0) +
           clap_block(0, [clap_note(0, 0, 5, 65, 0.5)]) +
           clap_block(100, [], outputs=2))
    life = (u8(0) + clap_block(128, [clap_note(0, 0, 1, 60, 0.5)]) + u8(7) + u8(0) +
            u8(7) + u8(1) + u8(1) + clap_block(128, [clap_note(0, 0, 2, 62, 0.5)]) +
            u8(7) + u8(1) + u8(5) + u8(3) + u8(1) + clap_param(0, 4, clap_double(0.9)) +
            u8(7) + u8(1) + u8(0) + u8(7) + u8(2) + clap_block(1, []))
    return {'notes_params_and_midi': play, 'values_beyond_the_ranges': hostile,
            'states_cut_and_failing': states, 'events_of_odd_sizes': odd,
            'resets_and_reactivations': life}


def main():
    for folder, seeds in (('dispatcher', dispatcher_seeds()), ('event', event_seeds()),
                          ('parameter', parameter_seeds()), ('clap', clap_seeds())):
        os.makedirs(os.path.join(HERE, folder), exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(HERE, folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
