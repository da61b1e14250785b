// The fast render: chunk by chunk, the envelope of every voice is planned first, the voices that
// fit the lanes (fitsLanes: no feature the lanes lack, a state their arithmetic keeps exact) are
// rendered side by side on the instruction set chosen at load time, any other voice is rendered
// sample by sample with the reference code, and the voices are then
// added into the outputs in voice order. While every sounding voice sustains untouched, the lanes
// stay set up from call to call and only the kernels run. The samples and the voice state are
// those of the reference render to the bit.
#include "synth/render/render_fast.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "synth/render/render_mix.h"
#include "synth/render/render_plan.h"
#include "synth/render/render_reference.h"
#include "synth/render/voice_render.h"

namespace {

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
// rendered by the reference code (VoiceRenderer::fitsLanes).
bool stepFitsLanes(float step) {
    constexpr float kMinStep = 1.0f / 256.0f, kMaxStep = 65536.0f;
    return step >= kMinStep && step <= kMaxStep;
}

inline bool voiceStateFitsLanes(const Voice& v) {
    constexpr float kMaxPhase = 131072.0f;
    if (!stepFitsLanes(v.phaseStep)) return false;
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
    job.cleanOffset[lane] = 0;
}

// What every lane's Clean table can give, interpolated and rounded, in size: an interpolation
// lies within a few float roundings (each 2^-24 at most) of the larger of its two entries.
void boundCleanValues(LaneJob& job, const CleanTableCache& clean) {
    double most = 0;
    for (std::int32_t lane = 0; lane < job.groups * job.width; ++lane)
        most = std::max(most, clean.largestAt(job.cleanOffset[lane]));
    job.cleanBound = most * (1.0 + 0x1p-20) + 1.0;
}

// The voice's running state into its lane; Clean, the table of its band.
void copyVoiceToLane(LaneJob& job, CleanTableCache& clean, std::int32_t lane, const Voice& v) {
    if (job.clean) job.cleanOffset[lane] = clean.offsetFor(v.band);
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

// The lanes' voices and envelopes into the job, for a chunk of `frames` frames.
void loadLanes(const LaneKernels& kernels, FastRenderState& state, const VoiceRing& voices,
               const LaneVoices& lv, std::int32_t frames) {
    LaneJob& job = state.job;
    const std::int32_t w = job.width;
    job.groups = kernels.paddedGroups((lv.count + w - 1) / w);
    job.steady = true;
    for (std::int32_t lane = 0; lane < job.groups * w; ++lane) {
        if (lane >= lv.count) {
            silenceLane(job, lane);
            continue;
        }
        copyVoiceToLane(job, state.clean, lane, voices[lv.voice[lane]]);
        const EnvelopePlan& p = lv.plan[lane];
        job.steady = job.steady && p.constant;
        job.steadyLevel[lane] = p.level;
        job.steadyCutoff[lane] = p.cutoff;
    }
    if (job.clean) boundCleanValues(job, state.clean);
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

// The states of lanes 0 to count - 1 back into their voices, voice[lane] for each.
void storeLanes(const LaneJob& job, VoiceRing& voices, const std::int32_t* voice,
                std::int32_t count) {
    for (std::int32_t lane = 0; lane < count; ++lane)
        copyLaneToVoice(job, lane, voices[voice[lane]]);
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

bool oscillatorCurrent(const MixedOscillator& m, const RenderValues& r) {
    if (m.bank != r.bank || m.rounded != (r.smooth == 0.0f)) return false;
    for (std::int32_t k = 0; k < kHarmonicBlocks; ++k)
        if (m.weights[k] != r.harmonicWeight[k]) return false;
    return true;
}

} // namespace

VoiceRenderer::VoiceRenderer(VoiceRing& voices, const EngineValues& values,
                             const WaveTables& tables, VoiceFeatures lanesLack)
    : voices(voices), engineValues(values), tables(tables), lanesLack(lanesLack) {
    chooseKernels(bestRenderIsa());
    readValues();
}

inline bool VoiceRenderer::lanesHaveFeaturesOf(const Voice& v) const {
    return lanesLack == 0 || (voiceFeatures(v, values) & lanesLack) == 0;
}

inline bool VoiceRenderer::fitsLanes(const Voice& v) const {
    return lanesHaveFeaturesOf(v) && voiceStateFitsLanes(v);
}

// Out of line: nothing is lacking on the pitch's path, which then only tests lanesLack.
__attribute__((noinline)) bool VoiceRenderer::steadyVoicesHaveFeatures() const {
    for (std::int32_t lane = 0; lane < steady.count; ++lane)
        if (!lanesHaveFeaturesOf(voices[steady.voice[lane]])) return false;
    return true;
}

void VoiceRenderer::chooseKernels(RenderIsa set) {
    isa = set;
    kernels = kernelsFor(set);
}

// The values as they stand, and the oscillator table for them when the lanes can use it.
void VoiceRenderer::readValues() {
    valuesChanges = engineValues.changes.load(std::memory_order_acquire);
    values = loadRenderValues(engineValues, tables);
    valuesFit = valuesFitLanes(values);
    // A lane's Clean table is chosen as it is set up: lanes set up for other tables (or for
    // Classic) are set up again.
    const bool clean = values.cleanWaves != nullptr;
    if (clean != fast.job.clean || (clean && !fast.clean.current(values))) {
        if (clean) fast.clean.reset(values);
        invalidate();
        fast.job.clean = clean;
        fast.job.cleanTable = fast.clean.table;
    }
    // Values that bring in a feature the lanes lack send the steady lanes' voices using it to
    // the reference.
    if (lanes != Lanes::None && lanesLack != 0 && !steadyVoicesHaveFeatures()) invalidate();
    if (valuesFit && kernels.many != nullptr && !oscillatorCurrent(fast.oscillator, values))
        kernels.many->buildOscillator(fast.oscillator, values.bank, values.harmonicWeight.data(),
                                      values.smooth == 0.0f);
}

void VoiceRenderer::syncVoices() {
    if (lanes != Lanes::Ahead) return;
    storeLanes(fast.job, voices, steady.voice, steady.count);
    lanes = Lanes::Steady;
}

void VoiceRenderer::invalidate() {
    syncVoices();
    lanes = Lanes::None;
}

// A float step of at least 2^-8 is a multiple of 2^-31, so the phases stay fit for the lanes.
// Clean, each lane reads the table of its voice's band as the new step sets it; the bound on
// their values changes only with a lane's table or a table mixed anew. A voice whose new pitch
// brings in a feature the lanes lack leaves them.
void VoiceRenderer::takePhaseSteps() {
    if (lanes == Lanes::None) return;
    if (lanesLack != 0 && !steadyVoicesHaveFeatures()) return invalidate();
    LaneJob& job = fast.job;
    const std::uint64_t built = fast.clean.built;
    bool moved = false;
    for (std::int32_t lane = 0; lane < steady.count; ++lane) {
        const Voice& v = voices[steady.voice[lane]];
        if (!stepFitsLanes(v.phaseStep)) return invalidate();
        job.phaseStep[lane] = v.phaseStep;
        if (!job.clean) continue;
        const std::int32_t offset = fast.clean.offsetFor(v.band);
        moved = moved || offset != job.cleanOffset[lane];
        job.cleanOffset[lane] = offset;
    }
    if (moved || fast.clean.built != built) boundCleanValues(job, fast.clean);
}

void VoiceRenderer::renderReference(float* left, float* right, std::int32_t frames) {
    invalidate();
    referenceRender(voices, engineValues, tables, left, right, frames);
}

void VoiceRenderer::render(RenderIsa set, float* left, float* right, std::int32_t frames,
                           bool replacing) {
    if (frames <= 0) return;
    const auto clear = [&] {
        std::memset(left, 0, sizeof(float) * static_cast<std::size_t>(frames));
        std::memset(right, 0, sizeof(float) * static_cast<std::size_t>(frames));
    };
    if (set != isa) chooseKernels(set);
    if (kernels.many == nullptr || kernels.many->run == nullptr) {
        if (replacing) clear();
        renderReference(left, right, frames);
        return;
    }

    // Steady lanes are sounding voices; otherwise an idle instrument costs one look at each voice.
    if (lanes == Lanes::None) {
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
    if (engineValues.changes.load(std::memory_order_acquire) != valuesChanges) readValues();
    if (valuesFit && renderSteady(left, right, frames, replacing)) {
        lanes = Lanes::Ahead;
        return;
    }

    syncVoices();
    if (replacing) clear();
    for (std::int32_t at = 0; at < frames; at += kChunkFrames)
        renderChunk(left + at, right + at, std::min(kChunkFrames, frames - at));
    prepareSteady();
}

// The call on steady lanes, when they still hold: false when the chunk path must run.
bool VoiceRenderer::renderSteady(float* left, float* right, std::int32_t frames, bool replacing) {
    if (lanes == Lanes::None) return false;
    const LaneKernels& laneKernels = kernels.forLanes(steady.count);
    if (&laneKernels != steady.kernels) return false;
    LaneJob& job = fast.job;
    // The kernels keep every other bound a voice must meet to stay in a lane. After a call at
    // smoothing 0 the smoothed states are oscillator values, far inside this one.
    if (values.smooth != 0.0f || steady.values.smooth != 0.0f)
        for (std::int32_t lane = 0; lane < steady.count; ++lane)
            if (!(std::fabs(job.smoothed[lane]) <= 1e30f)) return false;
    if (!sameSteadyValues(steady.values, values)) setSteadyValues();

    job.mixLanes = steady.count;
    job.mixReplace = replacing;
    // Replacing, the outputs need no keeping should a run be redone: one run does.
    const std::int32_t chunk = replacing ? frames : kChunkFrames;
    for (std::int32_t at = 0; at < frames; at += chunk) {
        const std::int32_t n = std::min(chunk, frames - at);
        job.mixLeft = left + at;
        job.mixRight = right + at;
        laneKernels.run(job, 0, n);
        if ((n & 3) != 0)
            mixLaneFrames(job, steady.count, left + at, right + at, n & ~3, n, replacing);
    }
    job.mixLanes = 0;
    const auto samples =
        static_cast<std::uint64_t>(steady.count) * static_cast<std::uint64_t>(frames);
    fast.laneSamples += samples;
    fast.steadySamples += samples;
    return true;
}

// The lanes' levels and coefficients and the job's shared values for the values as read, and the
// voices' levels as a chunk of sustain leaves them.
void VoiceRenderer::setSteadyValues() {
    LaneJob& job = fast.job;
    bool voicesNonNegative = true;
    for (std::int32_t lane = 0; lane < steady.count; ++lane) {
        Voice& v = voices[steady.voice[lane]];
        voicesNonNegative = voicesNonNegative && v.envLevel >= 0.0f && v.keyTrack >= 0.0f;
        job.steadyLevel[lane] = values.sustain;
        job.steadyCutoff[lane] = sustainCutoff(values, v.keyTrack);
        v.envLevel = values.sustain;
    }
    job.smooth = values.smooth;
    job.damping = values.damping;
    job.filterMode = values.filterMode;
    job.coefficientsBounded = coefficientsBounded(values, voicesNonNegative);
    steady.values = values;
}

void VoiceRenderer::renderChunk(float* left, float* right, std::int32_t frames) {
    const RenderValues& r = values;
    LaneJob& job = fast.job;
    job.groups = 0;
    LaneVoices lv;
    MixSource sources[kVoiceCount];
    std::int32_t count = 0;
    bool voicesNonNegative = true;
    for (std::int32_t i = 0; i < kVoiceCount; ++i) {
        Voice& v = voices[i];
        if (v.stage == Idle) continue;
        if (valuesFit && fitsLanes(v)) {
            voicesNonNegative = voicesNonNegative && v.envLevel >= 0.0f && v.keyTrack >= 0.0f;
            const EnvelopePlan plan = planEnvelope(v, r, frames, fast.level[i], fast.cutoff[i]);
            if (plan.begin >= plan.end) continue;
            lv.voice[lv.count] = i;
            lv.plan[lv.count] = plan;
            sources[count++] = {lv.count, nullptr, plan.begin, plan.end};
            ++lv.count;
            fast.laneSamples += static_cast<std::uint64_t>(plan.end - plan.begin);
        } else {
            const MixSource s = renderAlone(v, r, frames, fast.voiceOut[i]);
            if (s.begin < s.end) sources[count++] = s;
            fast.aloneSamples += static_cast<std::uint64_t>(s.end - s.begin);
        }
    }
    if (lv.count > 0) {
        const LaneKernels& laneKernels = kernels.forLanes(lv.count);
        job.width = laneKernels.width;
        job.mixed = &fast.oscillator;
        job.smooth = r.smooth;
        job.damping = r.damping;
        job.filterMode = r.filterMode;
        job.coefficientsBounded = coefficientsBounded(r, voicesNonNegative);
        loadLanes(laneKernels, fast, voices, lv, frames);
        if (count == lv.count && allFramesRendered(lv, frames)) {
            // Every voice in a lane on every frame: one run, mixing as it goes.
            job.mixLanes = lv.count;
            job.mixReplace = false;
            job.mixLeft = left;
            job.mixRight = right;
            laneKernels.run(job, 0, frames);
            job.mixLanes = 0;
            storeLanes(job, voices, lv.voice, lv.count);
            mixLaneFrames(job, lv.count, left, right, frames & ~3, frames, false);
            return;
        }
        runLanes(laneKernels, job, lv, frames);
        storeLanes(job, voices, lv.voice, lv.count);
    }
    if (count > 0) mixChunk(job, sources, count, left, right, frames);
}

// After a call on the chunk path: sets the lanes up for the calls to come when every sounding
// voice sustains with nothing scheduled and fits the lanes.
void VoiceRenderer::prepareSteady() {
    lanes = Lanes::None;
    if (!valuesFit) return;
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < kVoiceCount; ++i) {
        const Voice& v = voices[i];
        if (v.stage == Idle) continue;
        // A voice that entered the sustain on this call's last frame still holds the level
        // before it, which its next frame replaces: steady lanes would set it now.
        if (v.stage != SustainStage || v.releaseCountdown >= 0 || v.startDelay > 0 ||
            !fitsLanes(v) || std::memcmp(&v.envLevel, &values.sustain, sizeof(float)) != 0)
            return;
        steady.voice[count++] = i;
    }
    if (count == 0) return;
    const LaneKernels& laneKernels = kernels.forLanes(count);
    LaneJob& job = fast.job;
    const std::int32_t w = laneKernels.width;
    job.width = w;
    job.groups = laneKernels.paddedGroups((count + w - 1) / w);
    job.steady = true;
    job.mixed = &fast.oscillator;
    for (std::int32_t lane = 0; lane < job.groups * w; ++lane) {
        if (lane >= count) {
            silenceLane(job, lane);
            continue;
        }
        copyVoiceToLane(job, fast.clean, lane, voices[steady.voice[lane]]);
    }
    if (job.clean) boundCleanValues(job, fast.clean);
    steady.kernels = &laneKernels;
    steady.count = count;
    setSteadyValues();
    lanes = Lanes::Steady;
}
