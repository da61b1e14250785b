// The VST 2 front's MIDI: one event's three bytes decoded as the classic build always did, and
// played through the instrument's own entries. Note off and on (velocity 0 releasing), the pitch
// bend with its upper seven bits alone, and controller 126 as all sound off; the others change
// nothing: no pedal, no program change, no performance controller. Sounds saved by VST 2 hosts
// were played this way; do not widen it. The tests and benchmarks that play the classic path
// include it too.
#pragma once

#include <cstdint>

#include "synth/instrument.h"

// [audio thread] At `frame` of the coming render, as Instrument::noteOn has it.
inline void playVst2Midi(Instrument& instrument, std::uint8_t status, std::uint8_t data1,
                         std::uint8_t data2, std::int32_t frame) {
    switch (status & 0xF0) {
    case 0x80:
        instrument.noteOff(data1, frame);
        break;
    case 0x90:
        instrument.noteOn(data1, data2, frame);
        break;
    case 0xB0:
        if (data1 == 126) instrument.allSoundOff();
        break;
    case 0xE0:
        instrument.pitchBend(static_cast<std::uint16_t>((data2 & 0x7F) << 7 | (data1 & 0x7F)));
        break;
    default:
        break;
    }
}
