// Expressions of one note (synth/note_expression_kind.h) as the voices hold them. A voice starts
// without either; its phase step and its gain take them on top of everything else.
#pragma once

#include <array>
#include <cstdint>

#include "synth/note_expression_kind.h"
#include "synth/voice.h"

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
