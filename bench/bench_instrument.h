// Instruments set up for the benchmarks: the instrument with a patch and some held voices, brought
// into their sustain so that every measured block does the same work.
#pragma once

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "synth/engine_probe.h"
#include "synth/instrument.h"
#include "synth/parameters.h"

enum class Patch { Default, FullResonant, Clean };

inline const char* patchName(Patch p) {
    return p == Patch::Default ? "default"
           : p == Patch::Clean ? "default_clean"
                               : "full_bandpass_q1";
}

// The program's value of every parameter for `patch`: the default program (on the Classic
// oscillators, or on the Clean ones), or all drawbars up, the highest Q and the band-pass filter.
inline float patchValue(Patch patch, std::int32_t index) {
    if (patch == Patch::FullResonant) {
        if (index >= Drawbar2 && index <= Drawbar3) return 1.0f;
        if (index == Q) return 1.0f;
        if (index == Type) return 0.5f;
    }
    return kParameterDefaults[index];
}

inline constexpr double kBenchRate = 44100.0;
inline constexpr std::int32_t kBenchBlock = 512;

// An instrument at 44100 Hz with `patch`, holding `voices` notes in their sustain.
inline std::unique_ptr<Instrument> heldInstrument(Patch patch, std::int32_t voices) {
    auto instrument = std::make_unique<Instrument>();
    instrument->setSampleRate(static_cast<float>(kBenchRate));
    std::array<float, kParameterCount> values{};
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        values[index] = patchValue(patch, index);
    instrument->loadValues(values);
    instrument->setParameter(Oscillators,
                             patch == Patch::Clean ? CleanOscillators : ClassicOscillators);
    // Spread over five octaves, as in a wide chord.
    for (std::int32_t i = 0; i < voices; ++i)
        instrument->noteOn(static_cast<std::uint8_t>(36 + (i * 19) % 60),
                           static_cast<std::uint8_t>(70 + i), 0);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    for (int i = 0; i < 4; ++i)
        EngineProbe::renderReference(*instrument, left.data(), right.data(), kBenchBlock);
    return instrument;
}

// CPU time per frame, and per voice-sample when voices sound (printed as e.g. "1.9ns").
inline void reportPerFrame(benchmark::State& state, std::int32_t frames, std::int32_t voices) {
    using benchmark::Counter;
    state.counters["per_frame"] =
        Counter(frames, Counter::kIsIterationInvariantRate | Counter::kInvert);
    if (voices > 0)
        state.counters["per_voice_sample"] =
            Counter(static_cast<double>(frames) * voices,
                    Counter::kIsIterationInvariantRate | Counter::kInvert);
}
