// A preset played as the LV2 build plays it (the instrument behind the MIDI front, every control
// the preset leaves out at its default) and measured: a held chord, its peak and its loudness.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "synth/preset_text.h"

inline constexpr std::int32_t kTakeRate = 44100;

struct Take {
    std::vector<std::uint8_t> notes;
    std::uint8_t velocity;
    double heldSeconds;  // the notes let go after this
    double totalSeconds; // what is rendered, the release included
};

// C3 E3 G3 C4 at velocity 100, the take the bank's loudness is matched by; C2 to C6 at 127, the
// fullest chord the headroom is kept for.
inline const Take kLevelChord{{48, 52, 55, 60}, 100, 2.0, 3.0};
inline const Take kPeakChord{{36, 43, 48, 55, 60, 67, 72, 84}, 127, 2.0, 3.0};

// Interleaved stereo at kTakeRate.
std::vector<float> playTake(const Preset& preset, const Take& take);

// The largest momentary loudness (LUFS), looked at every 100 ms from `from` seconds on.
double momentaryMax(const std::vector<float>& stereo, double from = 0.0);

// The largest sample, in dBFS.
double peakDb(const std::vector<float>& stereo);
