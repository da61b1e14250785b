// The controls' names in words, for every front but VST 2: what a generic host lists beside each
// control. The VST 2 build keeps its short names of kParameterNames ("A", "D", "2", ...), which
// its hosts and saved projects know it by.
#pragma once

#include <array>

#include "synth/parameters.h"

inline constexpr std::array<const char*, kControlCount> kControlNames = {
    "Attack",
    "Decay",
    "Sustain",
    "Release",
    "Cut-off",
    "Resonance",
    "Filter type",
    "Envelope depth",
    "Drawbar 2 (octave)",
    "Drawbar 4 (two octaves)",
    "Drawbar 8 (three octaves)",
    "Drawbar 16 (four octaves)",
    "Drawbar 6 (two octaves and a fifth)",
    "Drawbar 3 (octave and a fifth)",
    "Wave",
    "Smooth",
    "Volume",
    "Velocity sensitivity",
    "Bend range",
    "Vibrato rate",
    "Vibrato depth",
    "Envelope curve",
    "Envelope scale",
    "Oscillators",
};

// A control added to the table without a name here would show none.
static_assert(
    [] {
        for (const char* name : kControlNames)
            if (name == nullptr) return false;
        return true;
    }(),
    "every control has its name in words");
