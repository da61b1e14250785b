// The render that DrawbarEngine::render uses: chunk by chunk, the envelope of every voice is
// planned first, the voices that fit the lane arithmetic are rendered side by side on the
// instruction set chosen at load time, any other voice is rendered sample by sample with the
// reference code, and the voices are then added into the outputs in voice order. The samples
// and the voice state are those of renderReference to the bit.
#include <algorithm>
#include <cmath>

#include "synth/drawbar_engine.h"
#include "synth/render_fast.h"
#include "synth/render_mix.h"
#include "synth/render_plan.h"
#include "synth/voice_render.h"

namespace {

// The kernels of one instruction set, and those it uses for fewer voices: the AVX-512 kernels
// run eight voices per group, at a higher cost per group than AVX2's four, which pays only once
// AVX2 would need four groups or more (measured: up to twelve voices AVX2 is faster).
struct KernelChoice {
    const LaneKernels* many = nullptr;
    const LaneKernels* few = nullptr;
    const LaneKernels& forLanes(std::int32_t lanes) const { return lanes <= 12 ? *few : *many; }
};

KernelChoice kernelsFor(RenderIsa isa) {
    if (!renderIsaSupported(isa)) return {};
    switch (isa) {
    case RenderIsa::Avx512:
        return {&kAvx512Kernels, &kAvx2Kernels};
    case RenderIsa::Avx2:
        return {&kAvx2Kernels, &kAvx2Kernels};
    case RenderIsa::Sse2:
        return {&kSse2Kernels, &kSse2Kernels};
    }
    return {};
}

// The values shared by all voices keep every lane product finite (see render_lane_kernel.h):
// the smoothing cannot grow without bound within a chunk, and the cut-off coefficient stays
// finite for levels within the sustain limit.
bool valuesFitLanes(const RenderValues& r) {
    return std::fabs(r.smooth) <= 1.0f && std::isfinite(r.damping) && std::fabs(r.env) <= 1e6f &&
           std::fabs(r.cutoffScale) <= 1e6f && std::fabs(r.sustain) <= 1e6f;
}

// A voice's own values fit the lanes when its phase and step are multiples of 2^-31 in the
// range where the float phase update is exact, and its smoothing and levels are finite and
// bounded. Voices that do not fit (extreme sample rates, states left by extreme parameters) are
// rendered by the reference code.
bool voiceFitsLanes(const Voice& v) {
    constexpr float kMinStep = 1.0f / 256.0f, kMaxStep = 65536.0f, kMaxPhase = 131072.0f;
    if (!(v.phaseStep >= kMinStep && v.phaseStep <= kMaxStep)) return false;
    if (!(v.phase >= -0.5f && v.phase <= kMaxPhase)) return false;
    const double scaled = static_cast<double>(v.phase) * 2147483648.0; // exact
    if (scaled != std::floor(scaled)) return false;
    return std::fabs(v.smoothed) <= 1e30f && std::fabs(v.envLevel) <= 1e7f &&
           std::fabs(v.keyTrack) <= 1.0f && std::fabs(v.voiceGain) <= 1.0f &&
           v.stage >= AttackStage && v.stage <= ReleaseStage;
}

// The reference render of one voice through the chunk, into its own row.
MixSource renderAlone(Voice& v, const RenderValues& r, std::int32_t frames, float* row) {
    std::int32_t k = 0;
    if (v.startDelay > 0) {
        k = std::min(v.startDelay, frames);
        v.startDelay -= k;
    }
    const std::int32_t begin = k;
    for (; k < frames && v.stage != Idle; ++k) {
        // -0 is the one float whose sum with any sample is that sample.
        float out = -0.0f, unused = -0.0f;
        renderVoice(v, r, out, unused);
        row[k] = out;
    }
    return {-1, row, begin, k};
}

// Writes lane `lane`'s level and cut-off rows into the job's [group][frame][lane] layout.
void placeLane(LaneJob& job, std::int32_t lane, const EnvelopePlan& plan, const float* level,
               const float* cutoff, std::int32_t frames) {
    const std::int32_t q = lane / job.width, l = lane % job.width;
    float* lv = job.level + job.at(q, 0, l);
    float* ct = job.cutoff + job.at(q, 0, l);
    for (std::int32_t k = 0; k < frames; ++k) {
        lv[k * job.width] = plan.constant ? plan.level : level[k];
        ct[k * job.width] = plan.constant ? plan.cutoff : cutoff[k];
    }
}

// A whole group of constant lanes: the same pattern at every frame.
void placeConstantGroup(LaneJob& job, std::int32_t q, const float* levels, const float* cutoffs,
                        std::int32_t frames) {
    float* lv = job.level + job.at(q, 0, 0);
    float* ct = job.cutoff + job.at(q, 0, 0);
    const std::int32_t w = job.width;
    for (std::int32_t l = 0; l < w; ++l) {
        lv[l] = levels[l];
        ct[l] = cutoffs[l];
    }
    // Doubling copies: each pass copies everything placed so far.
    for (std::int32_t done = 1; done < frames; done *= 2) {
        const std::int32_t count = std::min(done, frames - done) * w;
        std::copy(lv, lv + count, lv + done * w);
        std::copy(ct, ct + count, ct + done * w);
    }
}

struct LaneVoices {
    std::int32_t count = 0;
    std::int32_t voice[kMaxLanes];
    EnvelopePlan plan[kMaxLanes];
};

void loadLanes(const LaneKernels& kernels, LaneJob& job,
               const std::array<Voice, kVoiceCount>& voices, const LaneVoices& lv,
               const FastRenderState& state, std::int32_t frames) {
    const std::int32_t w = job.width;
    job.groups = kernels.paddedGroups((lv.count + w - 1) / w);
    job.steady = true;
    for (std::int32_t lane = 0; lane < job.groups * w; ++lane) {
        if (lane >= lv.count) {
            // Padding: a silent lane that stays put.
            job.phase[lane] = job.phaseStep[lane] = job.smoothed[lane] = job.voiceGain[lane] = 0;
            job.bandState[lane] = job.lowState[lane] = 0;
            job.steadyLevel[lane] = job.steadyCutoff[lane] = 0;
            continue;
        }
        const Voice& v = voices[lv.voice[lane]];
        job.phase[lane] = v.phase;
        job.phaseStep[lane] = v.phaseStep;
        job.smoothed[lane] = v.smoothed;
        job.bandState[lane] = v.bandState;
        job.lowState[lane] = v.lowState;
        job.voiceGain[lane] = v.voiceGain;
        const EnvelopePlan& p = lv.plan[lane];
        job.steady = job.steady && p.constant;
        job.steadyLevel[lane] = p.level;
        job.steadyCutoff[lane] = p.cutoff;
    }
    if (job.steady) return;

    for (std::int32_t q = 0; q < job.groups; ++q) {
        bool constant = true;
        for (std::int32_t lane = q * w; lane < (q + 1) * w && lane < lv.count; ++lane)
            constant = constant && lv.plan[lane].constant;
        if (constant) {
            placeConstantGroup(job, q, job.steadyLevel + q * w, job.steadyCutoff + q * w, frames);
            continue;
        }
        for (std::int32_t lane = q * w; lane < (q + 1) * w; ++lane) {
            if (lane >= lv.count) {
                placeLane(job, lane, EnvelopePlan{0, 0, true, 0.0f, 0.0f}, nullptr, nullptr,
                          frames);
                continue;
            }
            const std::int32_t i = lv.voice[lane];
            placeLane(job, lane, lv.plan[lane], state.level[i], state.cutoff[i], frames);
        }
    }
}

// Whether every cut-off coefficient of the chunk lies in [0, 0.785]: so when no level, depth,
// scale or key factor is negative and the depth is at most 1. `voicesNonNegative` tells whether
// the lanes' stored levels and key factors were before the chunk (the levels a chunk makes from
// them and a non-negative sustain are then too).
bool coefficientsBounded(const RenderValues& r, bool voicesNonNegative) {
    return voicesNonNegative && r.env >= 0.0f && r.env <= 1.0f && r.sustain >= 0.0f &&
           r.cutoffScale >= 0.0f;
}

void storeLanes(const LaneJob& job, std::array<Voice, kVoiceCount>& voices, const LaneVoices& lv) {
    for (std::int32_t lane = 0; lane < lv.count; ++lane) {
        Voice& v = voices[lv.voice[lane]];
        v.phase = job.phase[lane];
        v.smoothed = job.smoothed[lane];
        v.bandState = job.bandState[lane];
        v.lowState = job.lowState[lane];
    }
}

struct LaneState {
    float phase, smoothed;
    std::int32_t bandState, lowState;
};

// Runs the kernel over the stretches of the chunk in which the set of rendering lanes stays the
// same; a lane outside its own frames is computed along but its state is put back.
void runLanes(const LaneKernels& kernels, LaneJob& job, const LaneVoices& lv, std::int32_t frames) {
    std::int32_t cuts[2 * kMaxLanes + 2];
    std::int32_t cutCount = 0;
    cuts[cutCount++] = 0;
    cuts[cutCount++] = frames;
    for (std::int32_t lane = 0; lane < lv.count; ++lane) {
        cuts[cutCount++] = lv.plan[lane].begin;
        cuts[cutCount++] = lv.plan[lane].end;
    }
    std::sort(cuts, cuts + cutCount);
    cutCount = static_cast<std::int32_t>(std::unique(cuts, cuts + cutCount) - cuts);

    for (std::int32_t c = 0; c + 1 < cutCount; ++c) {
        const std::int32_t from = cuts[c], to = cuts[c + 1];
        LaneState kept[kMaxLanes];
        bool idle[kMaxLanes];
        bool any = false;
        for (std::int32_t lane = 0; lane < lv.count; ++lane) {
            idle[lane] = lv.plan[lane].begin > from || lv.plan[lane].end < to;
            any = any || !idle[lane];
            if (idle[lane])
                kept[lane] = {job.phase[lane], job.smoothed[lane], job.bandState[lane],
                              job.lowState[lane]};
        }
        if (!any) continue;
        kernels.run(job, from, to);
        for (std::int32_t lane = 0; lane < lv.count; ++lane)
            if (idle[lane]) {
                job.phase[lane] = kept[lane].phase;
                job.smoothed[lane] = kept[lane].smoothed;
                job.bandState[lane] = kept[lane].bandState;
                job.lowState[lane] = kept[lane].lowState;
            }
    }
}

void renderChunk(const KernelChoice& choice, std::array<Voice, kVoiceCount>& voices,
                 const RenderValues& r, bool lanesFit, FastRenderState& state, float* left,
                 float* right, std::int32_t frames) {
    LaneJob& job = state.job;
    job.groups = 0;
    LaneVoices lv;
    MixSource sources[kVoiceCount];
    std::int32_t count = 0;
    bool voicesNonNegative = true;
    for (std::int32_t i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices[i];
        if (v.stage == Idle) continue;
        if (lanesFit && voiceFitsLanes(v)) {
            voicesNonNegative = voicesNonNegative && v.envLevel >= 0.0f && v.keyTrack >= 0.0f;
            const EnvelopePlan plan = planEnvelope(v, r, frames, state.level[i], state.cutoff[i]);
            if (plan.begin >= plan.end) continue;
            lv.voice[lv.count] = i;
            lv.plan[lv.count] = plan;
            sources[count++] = {lv.count, nullptr, plan.begin, plan.end};
            ++lv.count;
            state.laneSamples += static_cast<std::uint64_t>(plan.end - plan.begin);
        } else {
            const MixSource s = renderAlone(v, r, frames, state.voiceOut[i]);
            if (s.begin < s.end) sources[count++] = s;
            state.aloneSamples += static_cast<std::uint64_t>(s.end - s.begin);
        }
    }
    if (lv.count > 0) {
        const LaneKernels& kernels = choice.forLanes(lv.count);
        job.width = kernels.width;
        job.mixed = &state.oscillator;
        job.smooth = r.smooth;
        job.damping = r.damping;
        job.filterMode = r.filterMode;
        job.coefficientsBounded = coefficientsBounded(r, voicesNonNegative);
        loadLanes(kernels, job, voices, lv, state, frames);
        runLanes(kernels, job, lv, frames);
        storeLanes(job, voices, lv);
    }
    if (count > 0) mixChunk(job, sources, count, left, right, frames);
}

bool oscillatorCurrent(const MixedOscillator& m, const RenderValues& r) {
    if (m.bank != r.bank || m.rounded != (r.smooth == 0.0f)) return false;
    for (std::int32_t k = 0; k < kHarmonicBlocks; ++k)
        if (m.weights[k] != r.harmonicWeight[k]) return false;
    return true;
}

} // namespace

void DrawbarEngine::render(float* left, float* right, std::int32_t frames) {
    renderWith(bestRenderIsa(), left, right, frames);
}

void DrawbarEngine::renderWith(RenderIsa isa, float* left, float* right, std::int32_t frames) {
    if (frames <= 0) return;
    const KernelChoice kernels = kernelsFor(isa);
    if (kernels.many == nullptr || kernels.many->run == nullptr) {
        renderReference(left, right, frames);
        return;
    }
    bool sounding = false;
    for (const Voice& v : voices)
        sounding = sounding || v.stage != Idle;
    if (!sounding) return;

    // The values are read once per call; a change made meanwhile takes effect with the next call.
    const RenderValues r = loadRenderValues(derived, tables);
    const bool lanesFit = valuesFitLanes(r);
    if (lanesFit && !oscillatorCurrent(fast.oscillator, r))
        kernels.many->buildOscillator(fast.oscillator, r.bank, r.harmonicWeight.data(),
                                      r.smooth == 0.0f);
    for (std::int32_t at = 0; at < frames; at += kChunkFrames)
        renderChunk(kernels, voices, r, lanesFit, fast, left + at, right + at,
                    std::min(kChunkFrames, frames - at));
}
