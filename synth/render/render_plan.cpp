#include "synth/render/render_plan.h"

#include <algorithm>

#include "synth/render/voice_render.h"

namespace {

// Below this a sample count and a position are exact as floats.
constexpr std::int32_t kFloatExact = 1 << 24;

// done[i] = rampFraction(pos + i, length). With both integers exact as floats the float quotient
// equals the double quotient rounded to float: 53 bits are more than twice 24 + 1, so rounding
// twice cannot move a quotient across a float rounding boundary.
void ramp(float* done, std::int32_t pos, std::int32_t length, std::int32_t count) {
    if (length < kFloatExact) {
        const auto denominator = static_cast<float>(length + 1);
        for (std::int32_t i = 0; i < count; ++i)
            done[i] = static_cast<float>(pos + i) / denominator;
    } else {
        for (std::int32_t i = 0; i < count; ++i)
            done[i] = rampFraction(pos + i, length);
    }
}

// The decay's levels from position `pos` on, advancing the voice's Natural term as the
// reference does, sample by sample.
void decayLevels(float* level, Voice& v, const RenderValues& r, std::int32_t count) {
    if (r.curve == NaturalCurve) {
        double g = v.curve;
        for (std::int32_t i = 0; i < count; ++i) {
            level[i] = naturalDecayLevel(g, r.decayCurve, r.sustain);
            g *= r.decayCurve.factor;
        }
        v.curve = g;
        return;
    }
    ramp(level, v.decayPos, r.decayLength, count);
    for (std::int32_t i = 0; i < count; ++i)
        level[i] = decayLevel(level[i], r.sustain);
}

// The release's levels down from the level it began at (the voice's stored level).
void releaseLevels(float* level, Voice& v, const RenderValues& r, std::int32_t count) {
    const double from = v.envLevel;
    if (r.curve == NaturalCurve) {
        double g = v.curve;
        for (std::int32_t i = 0; i < count; ++i) {
            level[i] = naturalReleaseLevel(g, r.releaseCurve, from);
            g *= r.releaseCurve.factor;
        }
        v.curve = g;
        return;
    }
    ramp(level, v.releasePos, r.releaseLength, count);
    for (std::int32_t i = 0; i < count; ++i)
        level[i] = releaseLevel(level[i], from);
}

void cutoffs(float* cutoff, const float* level, const RenderValues& r, float keyTrack,
             std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        cutoff[i] = cutoffCoefficient(level[i], r, keyTrack);
}

} // namespace

float sustainCutoff(const RenderValues& r, float keyTrack) {
    return cutoffCoefficient(r.sustain, r, keyTrack);
}

EnvelopePlan planEnvelope(Voice& v, const RenderValues& r, std::int32_t frames, float* level,
                          float* cutoff) {
    EnvelopePlan plan;
    std::int32_t k = 0;
    if (v.startDelay > 0) {
        k = std::min(v.startDelay, frames);
        v.startDelay -= k;
    }
    plan.begin = k;

    // The common case: sustaining to the end of the chunk with no release due in it.
    if (v.stage == SustainStage && k < frames &&
        !(v.releaseCountdown >= 0 && v.releaseCountdown < frames - k)) {
        if (v.releaseCountdown >= 0) v.releaseCountdown -= frames - k;
        v.envLevel = r.sustain;
        plan.end = frames;
        plan.constant = true;
        plan.level = r.sustain;
        plan.cutoff = sustainCutoff(r, v.keyTrack);
        return plan;
    }

    while (k < frames && v.stage != Idle) {
        std::int32_t run = frames - k;
        // The run ends with the sample on which the countdown reaches 0.
        if (v.releaseCountdown >= 0 && v.releaseCountdown < run) run = v.releaseCountdown + 1;
        std::int32_t done = 1;
        float* e = level + k;
        switch (v.stage) {
        case AttackStage:
            if (v.attackPos < r.attackLength) {
                done = std::min(run, r.attackLength - v.attackPos);
                ramp(e, v.attackPos, r.attackLength, done);
                v.envLevel = e[done - 1];
                v.attackPos += done;
            } else {
                // The sample that ends the attack repeats the previous level.
                e[0] = v.envLevel;
                v.stage = DecayStage;
                v.decayPos = 0;
                v.curve = 1.0;
            }
            break;
        case DecayStage:
            if (v.decayPos < r.decayLength) {
                done = std::min(run, r.decayLength - v.decayPos);
                decayLevels(e, v, r, done);
                v.envLevel = e[done - 1];
                v.decayPos += done;
            } else {
                e[0] = v.envLevel;
                v.stage = SustainStage;
            }
            break;
        case SustainStage:
            done = run;
            std::fill(e, e + done, r.sustain);
            v.envLevel = r.sustain;
            break;
        case ReleaseStage:
            if (v.releasePos < r.releaseLength) {
                done = std::min(run, r.releaseLength - v.releasePos);
                releaseLevels(e, v, r, done);
                v.releasePos += done;
            } else {
                e[0] = 0.0f;
                v.stage = Idle;
            }
            break;
        default:
            e[0] = 0.0f;
            v.envLevel = 0.0f;
            break;
        }
        cutoffs(cutoff + k, e, r, v.keyTrack, done);
        if (v.releaseCountdown >= 0) {
            v.releaseCountdown -= done;
            if (v.releaseCountdown < 0) { // reached 0 on the run's last sample
                v.stage = ReleaseStage;
                v.releasePos = 0;
                v.curve = 1.0;
            }
        }
        k += done;
    }
    plan.end = k;
    return plan;
}
