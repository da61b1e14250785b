// The render that DrawbarEngine::render uses: chunk by chunk, the envelope of every voice is
// planned first, the voices that fit the lane arithmetic are rendered side by side on the
// instruction set chosen at load time, any other voice is rendered sample by sample with the
// reference code, and the voices are then added into the outputs in voice order. While every
// sounding voice sustains untouched, the lanes stay set up from call to call and only the kernels
// run. The samples and the voice state are those of renderReference to the bit.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "synth/drawbar_engine.h"
#include "synth/render/render_fast.h"
#include "synth/render/render_mix.h"
#include "synth/render/render_plan.h"
#include "synth/render/voice_render.h"

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
    // Exact, and below 2^48 in size, so that the conversion to an integer cannot overflow.
    const double scaled = static_cast<double>(v.phase) * 2147483648.0;
    if (scaled != static_cast<double>(static_cast<std::int64_t>(scaled))) return false;
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

// Padding: a silent lane that stays put.
void silenceLane(LaneJob& job, std::int32_t lane) {
    job.phase[lane] = job.phaseStep[lane] = job.smoothed[lane] = job.voiceGain[lane] = 0;
    job.bandState[lane] = job.lowState[lane] = 0;
    job.steadyLevel[lane] = job.steadyCutoff[lane] = 0;
}

// The voice's running state into its lane.
void copyVoiceToLane(LaneJob& job, std::int32_t lane, const Voice& v) {
    job.phase[lane] = v.phase;
    job.phaseStep[lane] = v.phaseStep;
    job.smoothed[lane] = v.smoothed;
    job.bandState[lane] = v.bandState;
    job.lowState[lane] = v.lowState;
    job.voiceGain[lane] = v.voiceGain;
}

// The lane's running state back into its voice.
void copyLaneToVoice(const LaneJob& job, std::int32_t lane, Voice& v) {
    v.phase = job.phase[lane];
    v.smoothed = job.smoothed[lane];
    v.bandState = job.bandState[lane];
    v.lowState = job.lowState[lane];
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
            silenceLane(job, lane);
            continue;
        }
        copyVoiceToLane(job, lane, voices[lv.voice[lane]]);
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
    for (std::int32_t lane = 0; lane < lv.count; ++lane)
        copyLaneToVoice(job, lane, voices[lv.voice[lane]]);
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

bool allFramesRendered(const LaneVoices& lv, std::int32_t frames) {
    for (std::int32_t lane = 0; lane < lv.count; ++lane)
        if (lv.plan[lane].begin != 0 || lv.plan[lane].end != frames) return false;
    return true;
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
        if (count == lv.count && allFramesRendered(lv, frames)) {
            // Every voice in a lane on every frame: one run, mixing as it goes.
            job.mixLanes = lv.count;
            job.mixReplace = false;
            job.mixLeft = left;
            job.mixRight = right;
            kernels.run(job, 0, frames);
            job.mixLanes = 0;
            storeLanes(job, voices, lv);
            mixLaneFrames(job, lv.count, left, right, frames & ~3, frames, false);
            return;
        }
        runLanes(kernels, job, lv, frames);
        storeLanes(job, voices, lv);
    }
    if (count > 0) mixChunk(job, sources, count, left, right, frames);
}

// The lanes' levels and coefficients and the job's shared values for `r`, and the voices' levels
// as a chunk of sustain leaves them.
void setSteadyValues(std::array<Voice, kVoiceCount>& voices, const RenderValues& r,
                     FastRenderState& state) {
    SteadyLanes& s = state.steady;
    LaneJob& job = state.job;
    bool voicesNonNegative = true;
    for (std::int32_t lane = 0; lane < s.count; ++lane) {
        Voice& v = voices[s.voice[lane]];
        voicesNonNegative = voicesNonNegative && v.envLevel >= 0.0f && v.keyTrack >= 0.0f;
        job.steadyLevel[lane] = r.sustain;
        job.steadyCutoff[lane] = sustainCutoff(r, v.keyTrack);
        v.envLevel = r.sustain;
    }
    job.smooth = r.smooth;
    job.damping = r.damping;
    job.filterMode = r.filterMode;
    job.coefficientsBounded = coefficientsBounded(r, voicesNonNegative);
    s.values = r;
}

// After a call on the chunk path: sets the lanes up for the calls to come when every sounding
// voice sustains with nothing scheduled and fits the lanes.
void prepareSteady(const KernelChoice& choice, std::array<Voice, kVoiceCount>& voices,
                   const RenderValues& r, bool lanesFit, std::uint32_t voiceChanges,
                   FastRenderState& state) {
    SteadyLanes& s = state.steady;
    s.valid = false;
    if (!lanesFit) return;
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < kVoiceCount; ++i) {
        const Voice& v = voices[i];
        if (v.stage == Idle) continue;
        // A voice that entered the sustain on this call's last frame still holds the level
        // before it, which its next frame replaces: steady lanes would set it now.
        if (v.stage != SustainStage || v.releaseCountdown >= 0 || v.startDelay > 0 ||
            !voiceFitsLanes(v) || std::memcmp(&v.envLevel, &r.sustain, sizeof(float)) != 0)
            return;
        s.voice[count++] = i;
    }
    if (count == 0) return;
    const LaneKernels& kernels = choice.forLanes(count);
    LaneJob& job = state.job;
    const std::int32_t w = kernels.width;
    job.width = w;
    job.groups = kernels.paddedGroups((count + w - 1) / w);
    job.steady = true;
    job.mixed = &state.oscillator;
    for (std::int32_t lane = 0; lane < job.groups * w; ++lane) {
        if (lane >= count) {
            silenceLane(job, lane);
            continue;
        }
        copyVoiceToLane(job, lane, voices[s.voice[lane]]);
    }
    s.count = count;
    setSteadyValues(voices, r, state);
    s.valuesChanges = state.valuesChanges;
    s.kernels = &kernels;
    s.voiceChanges = voiceChanges;
    s.valid = true;
}

bool sameBits(float a, float b) {
    std::uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// The values a sustaining lane's level, coefficient and filter depend on.
bool sameSteadyValues(const RenderValues& a, const RenderValues& b) {
    return sameBits(a.sustain, b.sustain) && sameBits(a.env, b.env) &&
           sameBits(a.cutoffScale, b.cutoffScale) && sameBits(a.damping, b.damping) &&
           sameBits(a.smooth, b.smooth) && a.filterMode == b.filterMode;
}

// The call on steady lanes, when they still hold: false when the chunk path must run.
bool renderSteady(const KernelChoice& choice, std::array<Voice, kVoiceCount>& voices,
                  const RenderValues& r, std::uint32_t voiceChanges, FastRenderState& state,
                  float* left, float* right, std::int32_t frames, bool replacing) {
    SteadyLanes& s = state.steady;
    if (!s.valid || s.voiceChanges != voiceChanges) return false;
    const LaneKernels& kernels = choice.forLanes(s.count);
    if (&kernels != s.kernels) return false;
    LaneJob& job = state.job;
    // The kernels keep every other bound a voice must meet to stay in a lane. After a call at
    // smoothing 0 the smoothed states are oscillator values, far inside this one.
    if (r.smooth != 0.0f || s.values.smooth != 0.0f)
        for (std::int32_t lane = 0; lane < s.count; ++lane)
            if (!(std::fabs(job.smoothed[lane]) <= 1e30f)) return false;
    if (s.valuesChanges != state.valuesChanges) {
        if (!sameSteadyValues(s.values, r)) setSteadyValues(voices, r, state);
        s.valuesChanges = state.valuesChanges;
    }

    job.mixLanes = s.count;
    job.mixReplace = replacing;
    // Replacing, the outputs need no keeping should a run be redone: one run does.
    const std::int32_t chunk = replacing ? frames : kChunkFrames;
    for (std::int32_t at = 0; at < frames; at += chunk) {
        const std::int32_t n = std::min(chunk, frames - at);
        job.mixLeft = left + at;
        job.mixRight = right + at;
        kernels.run(job, 0, n);
        if ((n & 3) != 0) mixLaneFrames(job, s.count, left + at, right + at, n & ~3, n, replacing);
    }
    job.mixLanes = 0;
    const auto samples = static_cast<std::uint64_t>(s.count) * static_cast<std::uint64_t>(frames);
    state.laneSamples += samples;
    state.steadySamples += samples;
    return true;
}

bool oscillatorCurrent(const MixedOscillator& m, const RenderValues& r) {
    if (m.bank != r.bank || m.rounded != (r.smooth == 0.0f)) return false;
    for (std::int32_t k = 0; k < kHarmonicBlocks; ++k)
        if (m.weights[k] != r.harmonicWeight[k]) return false;
    return true;
}

} // namespace

void DrawbarEngine::syncVoices() const {
    if (!voicesBehind) return;
    const SteadyLanes& s = fast.steady;
    const LaneJob& job = fast.job;
    for (std::int32_t lane = 0; lane < s.count; ++lane)
        copyLaneToVoice(job, lane, voices[s.voice[lane]]);
    voicesBehind = false;
}

void DrawbarEngine::render(float* left, float* right, std::int32_t frames) {
    renderWith(bestRenderIsa(), left, right, frames);
}

void DrawbarEngine::renderReplacing(float* left, float* right, std::int32_t frames) {
    renderWith(bestRenderIsa(), left, right, frames, true);
}

void DrawbarEngine::renderWith(RenderIsa isa, float* left, float* right, std::int32_t frames,
                               bool replacing) {
    if (frames <= 0) return;
    const auto clear = [&] {
        std::memset(left, 0, sizeof(float) * static_cast<std::size_t>(frames));
        std::memset(right, 0, sizeof(float) * static_cast<std::size_t>(frames));
    };
    if (!fast.isaChosen || fast.isa != isa) {
        const KernelChoice chosen = kernelsFor(isa);
        fast.many = chosen.many;
        fast.few = chosen.few;
        fast.isa = isa;
        fast.isaChosen = true;
    }
    const KernelChoice kernels{fast.many, fast.few};
    if (kernels.many == nullptr || kernels.many->run == nullptr) {
        if (replacing) clear();
        renderReference(left, right, frames);
        return;
    }

    // Steady lanes are sounding voices; otherwise an idle instrument costs one look at each voice.
    if (!fast.steady.valid || fast.steady.voiceChanges != voiceChanges) {
        bool sounding = false;
        for (const Voice& v : voices)
            sounding = sounding || v.stage != Idle;
        if (!sounding) {
            if (replacing) clear();
            return;
        }
    }

    // The values are read once per call, and only when they changed since the last; a change
    // made meanwhile takes effect with the next call.
    const std::uint32_t changes = derived.changes.load(std::memory_order_acquire);
    if (!fast.valuesRead || changes != fast.valuesChanges) {
        fast.values = loadRenderValues(derived, tables);
        fast.valuesFit = valuesFitLanes(fast.values);
        fast.valuesChanges = changes;
        fast.valuesRead = true;
        const RenderValues& v = fast.values;
        if (fast.valuesFit && !oscillatorCurrent(fast.oscillator, v))
            kernels.many->buildOscillator(fast.oscillator, v.bank, v.harmonicWeight.data(),
                                          v.smooth == 0.0f);
    }
    const RenderValues& r = fast.values;
    const bool lanesFit = fast.valuesFit;
    if (lanesFit &&
        renderSteady(kernels, voices, r, voiceChanges, fast, left, right, frames, replacing)) {
        voicesBehind = true;
        return;
    }

    syncVoices();
    if (replacing) clear();
    for (std::int32_t at = 0; at < frames; at += kChunkFrames)
        renderChunk(kernels, voices, r, lanesFit, fast, left + at, right + at,
                    std::min(kChunkFrames, frames - at));
    prepareSteady(kernels, voices, r, lanesFit, voiceChanges, fast);
}
