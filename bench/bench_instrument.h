// Instruments set up for the benchmarks: the engine with a patch and some held voices, brought
// into their sustain so that every measured block does the same work.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "synth/drawbar_engine.h"
#include "synth/parameters.h"

enum class Patch { Default, FullResonant };

inline const char* patchName(Patch p) {
    return p == Patch::Default ? "default" : "full_bandpass_q1";
}

// The program's value of every parameter for `patch`: the default program, or all drawbars up,
// the highest Q and the band-pass filter.
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

// An engine at 44100 Hz with `patch`, holding `voices` notes in their sustain.
inline std::unique_ptr<DrawbarEngine> heldEngine(Patch patch, std::int32_t voices) {
    auto e = std::make_unique<DrawbarEngine>();
    e->initEngine();
    e->setTableStep(kBenchRate);
    for (std::int32_t index : kProgramApplyOrder) {
        e->storeParameter(index, patchValue(patch, index));
        e->updateParameter(index, kBenchRate);
    }
    // Spread over five octaves, as in a wide chord.
    for (std::int32_t i = 0; i < voices; ++i)
        e->handleMidi(0x90, static_cast<std::uint8_t>(36 + (i * 19) % 60),
                      static_cast<std::uint8_t>(70 + i), 0);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    for (int i = 0; i < 4; ++i)
        e->renderReference(left.data(), right.data(), kBenchBlock);
    return e;
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
