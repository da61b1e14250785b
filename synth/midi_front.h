// The MIDI intake of every front but VST 2: what a player expects of a keyboard beyond the
// instrument's own note, bend and silence entries: the sustain pedal (controller 64), all notes
// off (123), all sound off (120) and program change; and the performance controllers: the bend
// with all fourteen bits, the mod wheel (1), channel pressure, channel volume (7), expression (11)
// and reset all controllers (121), which lets the bend, the mod wheel, pressure and expression go
// back (channel volume stays, as MIDI has it). Controller 126 silences as the instrument's own
// all-sound-off; MIDI Tuning Standard SysEx retunes the instrument (synth/tuning/mts_messages.h);
// messages the instrument has no use for are ignored. Fronts that receive bytes (LV2, the
// standalone player, CLAP's MIDI events) hand them to `message`, which decodes them once; fronts
// whose events come typed (CLAP's notes) call the typed entries.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "synth/instrument.h"

class MidiFront {
  public:
    explicit MidiFront(Instrument& instrument) : instrument(instrument) {}

    // [audio thread] One MIDI message of `size` bytes at `frame` of the coming render, or one
    // whole SysEx message (F0 to F7), which acts at once. Running status, other system messages
    // and messages too short for their status are ignored.
    void message(const std::uint8_t* bytes, std::size_t size, std::int32_t frame);

    // [audio thread] The typed entries, on every channel alike. Notes and values count modulo
    // 128, as MIDI's data bytes do; `frame` as in `message`. A note-on of velocity 0 is a
    // note-off.
    void noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t frame);
    void noteOff(std::uint8_t note, std::int32_t frame);
    void controller(std::uint8_t number, std::uint8_t value, std::int32_t frame);
    // At once: the wheel position `amount` (0 to 16383, 8192 in the middle; counted modulo
    // 16384), channel pressure, and a program by number (one outside 0..31 changes nothing).
    void pitchBend(std::uint16_t amount);
    void channelPressure(std::uint8_t value);
    void programChange(std::uint8_t program);
    // Back to rest at the start of the coming render: the pedal lifted, every sound off, the bend
    // centred.
    void reset();

    bool pedalDown() const { return pedal; }

  private:
    void pressKey(std::uint8_t key, std::uint8_t velocity, std::int32_t frame);
    void releaseKey(std::uint8_t key, std::int32_t frame);

    Instrument& instrument;
    bool pedal = false;
    std::bitset<128> keysDown;  // note-ons not yet matched by a note-off
    std::bitset<128> sustained; // released keys that the pedal holds
};
