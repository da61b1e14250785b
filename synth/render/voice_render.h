// One sample of one voice: the signal flow read top to bottom. Integer arithmetic that wraps is
// done in unsigned types; every real-to-integer conversion rounds half to even.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/round_half_even.h"
#include "synth/engine_values.h"
#include "synth/parameters.h"
#include "synth/voice.h"

// --- Scalar formulas the planner (render_plan.cpp) shares --------------------------------------

// How far a ramp of `length` samples is at sample `pos` (0 to length - 1): the attack rises by it,
// the decay and the release fall by it.
inline float rampFraction(std::int32_t pos, std::int32_t length) {
    return static_cast<float>(pos / (length + 1.0));
}

// The decay's level at ramp fraction `done`: from 1 down towards the sustain level.
inline float decayLevel(float done, double sustain) {
    return static_cast<float>(sustain + (1.0 - sustain) * (1.0 - done));
}

// The release's level at ramp fraction `done`: down from `from`, the level it began at.
inline float releaseLevel(float done, double from) {
    return static_cast<float>((1.0 - done) * from);
}

// The Natural curve: the share of the ramp still to fall at geometric term `g` (see CurveShape).
inline double curveLeft(double g, const CurveShape& c) {
    const double left = (g - c.end) * c.scale;
    return left > 0.0 ? left : 0.0;
}

// The Natural decay's level at term `g`: from 1 down towards the sustain level.
inline float naturalDecayLevel(double g, const CurveShape& c, double sustain) {
    return static_cast<float>(sustain + (1.0 - sustain) * curveLeft(g, c));
}

// The Natural release's level at term `g`: down from `from`, the level it began at.
inline float naturalReleaseLevel(double g, const CurveShape& c, double from) {
    return static_cast<float>(curveLeft(g, c) * from);
}

// The filter's cut-off coefficient at envelope level `level`: follows the envelope by the depth,
// and the note and velocity by `keyTrack`; held at 0.785, below which the filter is stable.
inline float cutoffCoefficient(float level, const RenderValues& r, float keyTrack) {
    double c = (static_cast<double>(level) * r.env + 1.1 - r.env) * r.cutoffScale * keyTrack;
    if (c > 0.785) c = 0.785;
    return static_cast<float>(c);
}

// --- One sample --------------------------------------------------------------------------------

// State-variable filter on integers: returns the output chosen by `mode`.
inline std::int32_t filterStep(std::int32_t x, Voice& v, float g, float damping,
                               std::int32_t mode) {
    const std::int32_t hp = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(x) -
        static_cast<std::uint32_t>(roundToInt(static_cast<double>(v.bandState) * damping)) -
        static_cast<std::uint32_t>(v.lowState));
    const std::int32_t bp = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(roundToInt(static_cast<double>(hp) * g)) +
        static_cast<std::uint32_t>(v.bandState));
    const std::int32_t lp = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(roundToInt(static_cast<double>(bp) * g)) +
        static_cast<std::uint32_t>(v.lowState));
    v.bandState = bp;
    v.lowState = lp;
    switch (mode) {
    case 0:
        return lp;
    case 1:
        return bp;
    case 2:
        return hp;
    default:
        return x;
    }
}

// Envelope level of this sample; advances the stage.
inline float envelopeStep(Voice& v, const RenderValues& r) {
    switch (v.stage) {
    case AttackStage:
        if (v.attackPos < r.attackLength) {
            v.envLevel = rampFraction(v.attackPos, r.attackLength);
            ++v.attackPos;
            return v.envLevel;
        }
        // The sample that ends the attack repeats the previous level.
        v.stage = DecayStage;
        v.decayPos = 0;
        v.curve = 1.0;
        return v.envLevel;
    case DecayStage:
        if (v.decayPos < r.decayLength) {
            if (r.curve == NaturalCurve) {
                v.envLevel = naturalDecayLevel(v.curve, r.decayCurve, r.sustain);
                v.curve *= r.decayCurve.factor;
            } else {
                v.envLevel = decayLevel(rampFraction(v.decayPos, r.decayLength), r.sustain);
            }
            ++v.decayPos;
            return v.envLevel;
        }
        v.stage = SustainStage;
        return v.envLevel;
    case SustainStage:
        v.envLevel = r.sustain;
        return v.envLevel;
    case ReleaseStage:
        if (v.releasePos < r.releaseLength) {
            // Falls from the level the release began at; envLevel is not updated.
            float level;
            if (r.curve == NaturalCurve) {
                level = naturalReleaseLevel(v.curve, r.releaseCurve, v.envLevel);
                v.curve *= r.releaseCurve.factor;
            } else {
                level = releaseLevel(rampFraction(v.releasePos, r.releaseLength), v.envLevel);
            }
            ++v.releasePos;
            return level;
        }
        v.stage = Idle;
        return 0.0f;
    default:
        v.envLevel = 0;
        return 0.0f;
    }
}

// The Clean oscillator's seven weighted blocks at table index `i` (0 to 4095), each block read
// from the band-limited wave of its grid entry at its multiple of the index, with the wrapping
// arithmetic of the classic mix.
inline std::int32_t cleanMix(const RenderValues& r, std::int32_t band, std::uint32_t i) {
    std::uint32_t sum = 0;
    for (int k = 0; k < kHarmonicBlocks; ++k)
        sum += static_cast<std::uint32_t>(
                   r.cleanWaves[cleanBlockEntry(band, k)][(kBlockMultiplier[k] * i) & 4095u]) *
               static_cast<std::uint32_t>(r.harmonicWeight[k]);
    return static_cast<std::int32_t>(sum);
}

// The Clean oscillator: the mix at the two table indices either side of the phase, as floats,
// interpolated in float and rounded to an integer. The phase is split as phase + 1 (the sum
// rounded to float), which the lanes may truncate: it is at least 1/2 there.
inline std::int32_t cleanOscillator(const Voice& v, const RenderValues& r) {
    const float shifted = v.phase + 1.0f;
    const float whole = std::floor(shifted);
    const auto i = static_cast<std::uint32_t>(roundToInt(whole)); // whole already
    const auto a = static_cast<float>(cleanMix(r, v.band, (i - 1u) & 4095u));
    const auto b = static_cast<float>(cleanMix(r, v.band, i & 4095u));
    const float fraction = shifted - whole;
    return roundToInt(a + fraction * (b - a));
}

inline void renderVoice(Voice& v, const RenderValues& r, float& left, float& right) {
    // Oscillator: seven harmonic blocks at one table index, or Clean's interpolated mix.
    const std::int32_t p = roundToInt(v.phase);
    const std::uint32_t idx = static_cast<std::uint32_t>(p) & 4095u;
    std::uint32_t osc = 0;
    if (r.cleanWaves != nullptr) {
        osc = static_cast<std::uint32_t>(cleanOscillator(v, r));
    } else {
        for (int k = 0; k < kHarmonicBlocks; ++k)
            osc += static_cast<std::uint32_t>(r.bank[4096 * k + idx]) *
                   static_cast<std::uint32_t>(r.harmonicWeight[k]);
    }

    // Smoothing.
    v.smoothed = static_cast<float>(static_cast<double>(v.smoothed) * r.smooth +
                                    (1.0 - r.smooth) * static_cast<std::int32_t>(osc));
    const std::int32_t x = roundToInt(v.smoothed);

    // Phase: whole periods come off once the rounded phase reaches 4096.
    const std::int32_t periods = p >= 4096 ? (p & ~4095) : 0;
    v.phase = static_cast<float>(static_cast<double>(v.phase) + v.phaseStep - periods);

    // Envelope, then the release scheduled by a note-off (effective from the next sample).
    const float e = envelopeStep(v, r);
    if (v.releaseCountdown >= 0) {
        if (v.releaseCountdown == 0) {
            v.stage = ReleaseStage;
            v.releasePos = 0;
            v.curve = 1.0;
        }
        --v.releaseCountdown;
    }

    // Filter, with the cut-off following envelope, key and velocity.
    const std::int32_t y =
        filterStep(x, v, cutoffCoefficient(e, r, v.keyTrack), r.damping, r.filterMode);

    // Gain.
    const auto s = static_cast<float>(static_cast<double>(y) * e * v.voiceGain);
    left += s;
    right += s;
}
