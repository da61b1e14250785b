// Expressions of one note: a retuning and a level that a front which addresses notes one by one
// (CLAP) gives a single key, apart from the bend and volume that move every voice. A voice starts
// without either; its phase step and its gain take them on top of everything else.
#pragma once

#include <array>
#include <cstdint>

#include "synth/voice.h"

enum class NoteExpression : std::int32_t {
    Tuning, // semitones, -120 to 120
    Volume, // a gain, 0 to 4
};

// [audio thread] Per voice of the ring, beside the voices themselves so that their layout stays.
struct VoiceExpressions {
    std::array<double, kVoiceCount> pitchFactor = filled(1.0);
    std::array<float, kVoiceCount> gain = filled(1.0f);
    // The gain the voice started with, before its level expression.
    std::array<float, kVoiceCount> startGain{};

    void started(std::int32_t v, float voiceGain) {
        pitchFactor[v] = 1.0;
        gain[v] = 1.0f;
        startGain[v] = voiceGain;
    }

  private:
    template <typename T> static constexpr std::array<T, kVoiceCount> filled(T value) {
        std::array<T, kVoiceCount> values{};
        values.fill(value);
        return values;
    }
};

// The factor an expression's value multiplies the pitch or the gain by, held within its range;
// 1 for a value that is not a number.
double noteExpressionFactor(NoteExpression kind, double value);
