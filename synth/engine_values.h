// Values derived from the parameters and the sample rate, written on any thread by the parameter
// response and read by the render. Each is one whole atomic value (relaxed: the render uses
// whatever stands when it reads).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "synth/clean_tables.h"
#include "synth/parameters.h"
#include "synth/wave_tables.h"

// The Natural envelope curve over one ramp: a term that starts at 1 and is multiplied by `factor`
// each sample, and what the ramp has still to fall at term g, (g - end) * scale held at 0 or
// above. The factor takes the term to `end` (-60 dB) one sample past the ramp, where the share
// left is exactly 0, as the linear ramp's is; `scale` is 1 / (1 - end).
struct CurveShape {
    double factor = 1, end = 0, scale = 1;
};

static_assert(std::atomic<double>::is_always_lock_free);

struct EngineValues {
    std::atomic<std::int32_t> attackLength{0};  // samples
    std::atomic<std::int32_t> decayLength{0};   // samples
    std::atomic<std::int32_t> releaseLength{0}; // samples, at least 10
    std::atomic<float> cutoffScale{0};
    std::atomic<float> damping{0};           // 1.2 down to 0.03 for Q in 0..1
    std::atomic<std::int32_t> filterMode{0}; // 0 low-pass, 1 band-pass, 2 high-pass, 3 none
    std::atomic<float> drawbarSum{0};        // 1 + the six drawbar levels
    std::array<std::atomic<std::int32_t>, kHarmonicBlocks> harmonicWeight{}; // full scale 1000
    std::atomic<std::int32_t> activeBank{SineBankIndex};                     // BankIndex
    std::atomic<float> tableStep{0};       // 4096 / sample rate: table steps per sample per Hz
    std::atomic<double> sampleRate{44100}; // the one the table step was set for
    // The parameters the render reads directly, non-finite values taken as 0 and every value
    // held within 0..1.
    std::atomic<float> sustainLevel{0};
    std::atomic<float> envDepth{0};
    std::atomic<float> smoothing{0};
    // The envelope's curve (EnvelopeCurve) and, for the Natural one, the shapes of the decay and
    // the release for their lengths.
    std::atomic<std::int32_t> envCurve{0};
    std::atomic<double> decayFactor{1}, decayEnd{0}, decayScale{1};
    std::atomic<double> releaseFactor{1}, releaseEnd{0}, releaseScale{1};
    // The oscillators' kind (OscillatorKind).
    std::atomic<std::int32_t> oscillators{0};
    // Read by the engine itself, not the render: the velocity's share of a note's level (0 to 1),
    // the bend's range in semitones, the vibrato's rate (Hz) and depth (cents at full wheel), and
    // the output gain the volume sets (1 at 0 dB).
    std::atomic<float> velocitySense{1};
    std::atomic<std::int32_t> bendRange{1};
    std::atomic<float> vibratoRate{0};
    std::atomic<float> vibratoDepth{0};
    std::atomic<float> volumeGain{1};
    // Counts the changes to the values above, each counted (with release) after it is stored:
    // a render that reads the same count (with acquire) as at its last reading can go on with
    // the values it read then.
    std::atomic<std::uint32_t> changes{0};
};

// A consistent copy of the values that the render uses for one sample (or one block).
struct RenderValues {
    std::int32_t attackLength, decayLength, releaseLength;
    float cutoffScale, damping;
    std::int32_t filterMode;
    std::array<std::int32_t, kHarmonicBlocks> harmonicWeight;
    const std::int32_t* bank;
    float sustain, env, smooth;
    std::int32_t curve; // EnvelopeCurve
    CurveShape decayCurve, releaseCurve;
    // The Clean oscillators' waves of the active bank, by grid entry; null for Classic.
    const std::array<std::int32_t, kTableSize>* cleanWaves;
};

inline RenderValues loadRenderValues(const EngineValues& v, const WaveTables& tables) {
    constexpr auto r = std::memory_order_relaxed;
    RenderValues out{};
    out.attackLength = v.attackLength.load(r);
    out.decayLength = v.decayLength.load(r);
    out.releaseLength = v.releaseLength.load(r);
    out.cutoffScale = v.cutoffScale.load(r);
    out.damping = v.damping.load(r);
    out.filterMode = v.filterMode.load(r);
    for (int k = 0; k < kHarmonicBlocks; ++k)
        out.harmonicWeight[k] = v.harmonicWeight[k].load(r);
    const std::int32_t bank = v.activeBank.load(r);
    out.bank = tables.banks[bank].data();
    out.sustain = v.sustainLevel.load(r);
    out.env = v.envDepth.load(r);
    out.smooth = v.smoothing.load(r);
    out.curve = v.envCurve.load(r);
    out.decayCurve = {v.decayFactor.load(r), v.decayEnd.load(r), v.decayScale.load(r)};
    out.releaseCurve = {v.releaseFactor.load(r), v.releaseEnd.load(r), v.releaseScale.load(r)};
    // Only an engine that offers Clean sets it, and that one builds the tables beforehand.
    out.cleanWaves =
        v.oscillators.load(r) == CleanOscillators ? cleanTables().waves[bank].data() : nullptr;
    return out;
}
