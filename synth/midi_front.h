// What a player expects of a MIDI keyboard beyond the instrument's own intake, for the fronts that
// take raw MIDI (LV2, the standalone player): the sustain pedal (controller 64), all notes off
// (123), all sound off (120) and program change. It sits in front of the instrument and turns
// these into what the instrument understands; everything else passes through unchanged.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>

#include "synth/instrument.h"

class MidiFront {
  public:
    explicit MidiFront(Instrument& instrument) : instrument(instrument) {}

    // [audio thread] One MIDI message of `size` bytes at `frame` of the coming render. Running
    // status, system messages and messages too short for their status are ignored.
    void message(const std::uint8_t* bytes, std::size_t size, std::int32_t frame);

    bool pedalDown() const { return pedal; }

  private:
    void noteOn(std::uint8_t status, std::uint8_t note, std::uint8_t velocity, std::int32_t frame);
    void noteOff(std::uint8_t note, std::int32_t frame);
    void controller(std::uint8_t status, std::uint8_t number, std::uint8_t value,
                    std::int32_t frame);
    void release(std::uint8_t note, std::int32_t frame) {
        instrument.midiEvent(0x80, note, 0, frame);
    }

    Instrument& instrument;
    bool pedal = false;
    std::bitset<128> keysDown;  // note-ons not yet matched by a note-off
    std::bitset<128> sustained; // released keys that the pedal holds
};
