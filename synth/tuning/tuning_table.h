// The pitch of every MIDI note: what a Scala scale and keyboard mapping give, and what MIDI Tuning
// Standard messages edit. Plain arrays, so the audio thread can hold and copy one.
#pragma once

#include <array>

#include "synth/tuning/keyboard_map.h"
#include "synth/tuning/scala_scale.h"

inline constexpr int kTuningNotes = 128;

struct TuningTable {
    // Finite and above 0 for every note. A note that does not sound keeps its equal-tempered
    // frequency, as Scala leaves the notes outside the mapped range untuned.
    std::array<double, kTuningNotes> hz{};
    std::array<bool, kTuningNotes> sounds{};

    bool operator==(const TuningTable&) const = default;
};

// 440 * 2^((note - 69) / 12).
double equalTemperamentHz(int note);
// Every note at its equal-tempered frequency and sounding.
TuningTable equalTemperamentTable();

// The table of `scale` laid on the keys by `map` (by default Scala's own: linear, note 60 on
// degree 0, note 69 at 440 Hz). The reference note sounds at the reference frequency; keys
// `map.degrees` leaves unmapped and keys outside first to last note do not sound. Degrees
// beyond the scale repeat it a period higher; each repetition of the map is one formal octave
// (the pitch of the octave degree) above the previous one. A scale of 1/1 alone plays the
// reference frequency on every mapped key. A scale or map with an error gives equal temperament.
TuningTable tuningTable(const ScalaScale& scale, const KeyboardMap& map = KeyboardMap{});
