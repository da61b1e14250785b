#include "synth/drawbar_engine.h"

#include <algorithm>
#include <cmath>

#include "core/round_half_even.h"
#include "synth/clean_tables.h"
#include "synth/render/render_fast.h"
#include "synth/tuning/mts_messages.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// Non-finite parameter values act as 0 in everything derived from them.
double finiteOrZero(float value) {
    return std::isfinite(value) ? value : 0.0;
}

// A parameter as the sound is derived from it: a value outside 0..1 counts as the nearer end.
// The filter is stable and the mix bounded only for damping, cut-off, envelope depth, sustain,
// smoothing and drawbar levels made from values in that range; a host may store anything.
double heldInRange(float value) {
    const double v = finiteOrZero(value);
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// A playing control as the sound is derived from it: held within its range, non-finite as 0.
double heldInControlRange(std::int32_t index, float value) {
    const double v = finiteOrZero(value);
    const ControlRange& range = kControlRanges[index];
    return v < range.minimum ? range.minimum : (v > range.maximum ? range.maximum : v);
}

// The Natural curve over a ramp of `length` samples: down to -60 dB one sample past its end.
CurveShape naturalShape(std::int32_t length) {
    const double steps = static_cast<double>(length) + 1.0;
    const double factor = std::pow(0.001, 1.0 / steps);
    const double end = std::pow(factor, steps);
    return {factor, end, 1.0 / (1.0 - end)};
}

std::int32_t clampInt(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// A negative offset would never count down to a release; it means "now".
std::int32_t frameOrNow(std::int32_t deltaFrames) {
    return deltaFrames < 0 ? 0 : deltaFrames;
}

// Bank block driven by each drawbar parameter (index 8 to 13).
constexpr std::array<std::int32_t, 6> kDrawbarBlock = {1, 2, 3, 4, 5, 6};

} // namespace

DrawbarEngine::DrawbarEngine(DrawbarRule rule)
    : drawbarRule(rule), tables(waveTables()),
      renderer(std::make_unique<VoiceRenderer>(voices, derived, tables)) {
    // The fronts that offer Clean build its tables here, never on the audio thread; the classic
    // build (VST 2) never sets it.
    if (rule != DrawbarRule::Classic) cleanTables();
}

DrawbarEngine::~DrawbarEngine() = default;

void DrawbarEngine::initEngine() {
    for (Voice& v : voices) {
        v.phase = 0;
        v.smoothed = 0;
        v.stage = Idle;
        v.attackPos = 0;
        v.decayPos = 0;
        v.releasePos = 0;
        v.envLevel = 0;
        v.startDelay = 0;
    }
    pitch = PitchModulation{};
    output = OutputGain{};
    lastVoice = 0;
    renderer->invalidate();
    setTableStep(44100.0);
}

float DrawbarEngine::parameter(std::int32_t index) const {
    return isControlIndex(index) ? params[index].load(relaxed) : 0.0f;
}

void DrawbarEngine::storeParameter(std::int32_t index, float value) {
    if (isControlIndex(index)) params[index].store(value, relaxed);
}

void DrawbarEngine::setTableStep(double rate) {
    derived.tableStep.store(static_cast<float>(4096.0 / rate), relaxed);
    derived.sampleRate.store(rate, relaxed);
}

// The renderer may hold a voice's newest running state in a lane; the voice is brought up to date
// before it is read. Its state is the same, only where it lives changes.
const Voice& DrawbarEngine::voice(std::int32_t index) const {
    renderer->syncVoices();
    return voices[index];
}

const FastRenderState& DrawbarEngine::fastRenderState() const {
    return renderer->state();
}

std::int32_t DrawbarEngine::soundingVoices() const {
    std::int32_t count = 0;
    for (const Voice& v : voices)
        count += v.stage != Idle ? 1 : 0;
    return count;
}

void DrawbarEngine::updateParameter(std::int32_t index, double rate) {
    if (!isControlIndex(index)) return;
    // Type and Wave pick a mode or a bank and bound their own results; the playing controls
    // have ranges of their own.
    const float stored = params[index].load(relaxed);
    const double value = index == Type || index == Wave ? finiteOrZero(stored)
                         : isParameterIndex(index)      ? heldInRange(stored)
                                                        : heldInControlRange(index, stored);
    switch (index) {
    case Attack:
    case Decay:
    case Release:
        updateLength(index, rate);
        break;
    case EnvScale:
        for (std::int32_t length : {Attack, Decay, Release})
            updateLength(length, rate);
        break;
    case EnvCurve:
        derived.envCurve.store(roundToInt(value), relaxed);
        break;
    case Oscillators:
        derived.oscillators.store(roundToInt(value), relaxed);
        break;
    case Volume:
        derived.volumeGain.store(static_cast<float>(std::pow(10.0, value / 20.0)), relaxed);
        break;
    case VelocitySense:
        derived.velocitySense.store(static_cast<float>(value), relaxed);
        break;
    case BendRange:
        derived.bendRange.store(roundToInt(value), relaxed);
        break;
    case VibratoRate:
        derived.vibratoRate.store(static_cast<float>(value), relaxed);
        break;
    case VibratoDepth:
        derived.vibratoDepth.store(static_cast<float>(value), relaxed);
        break;
    case CutOff:
        derived.cutoffScale.store(static_cast<float>((value * value + 0.05) * 60000.0 / rate),
                                  relaxed);
        break;
    case Q:
        derived.damping.store(static_cast<float>(1.2 - 1.17 * value), relaxed);
        break;
    case Type:
        // Modes outside 0 to 3 take the nearest valid one.
        derived.filterMode.store(clampInt(roundToInt(value * 2.0), 0, 3), relaxed);
        break;
    case Wave:
        derived.activeBank.store(clampInt(roundToInt(value * 3.0), 0, kBankCount - 1), relaxed);
        break;
    case Sustain:
        derived.sustainLevel.store(static_cast<float>(value), relaxed);
        break;
    case Env:
        derived.envDepth.store(static_cast<float>(value), relaxed);
        break;
    case Smooth:
        derived.smoothing.store(static_cast<float>(value), relaxed);
        break;
    default:
        updateDrawbar(index);
        break;
    }
    derived.changes.fetch_add(1, std::memory_order_release);
}

// A length scales with env_scale, which at 1 leaves the classic formula's result; the Natural
// curve's shape follows the decay's and the release's.
void DrawbarEngine::updateLength(std::int32_t index, double rate) {
    const double value = heldInRange(params[index].load(relaxed));
    const double scale = heldInControlRange(EnvScale, params[EnvScale].load(relaxed));
    switch (index) {
    case Attack:
        derived.attackLength.store(roundToInt(value * value * rate * 0.5 * scale), relaxed);
        break;
    case Decay: {
        const std::int32_t length = roundToInt(value * value * rate * 0.5 * scale);
        const CurveShape shape = naturalShape(length);
        derived.decayFactor.store(shape.factor, relaxed);
        derived.decayEnd.store(shape.end, relaxed);
        derived.decayScale.store(shape.scale, relaxed);
        derived.decayLength.store(length, relaxed);
        break;
    }
    default: {
        // At least 10 samples; the addition saturates like the rounding before it.
        const std::int32_t rounded = roundToInt(value * value * rate * scale);
        const std::int32_t length = rounded > INT32_MAX - 10 ? INT32_MAX : rounded + 10;
        const CurveShape shape = naturalShape(length);
        derived.releaseFactor.store(shape.factor, relaxed);
        derived.releaseEnd.store(shape.end, relaxed);
        derived.releaseScale.store(shape.scale, relaxed);
        derived.releaseLength.store(length, relaxed);
        break;
    }
    }
    derived.changes.fetch_add(1, std::memory_order_release);
}

// Under the classic rule only the changed drawbar's weight and the fundamental's are
// recomputed: every other weight keeps the sum of the moment its own drawbar was set, so the
// weights depend on the order of changes. Sounds saved by VST 2 hosts were made this way; do not
// "normalise" it there. Under the positions rule every weight is recomputed from the same sum.
void DrawbarEngine::updateDrawbar(std::int32_t index) {
    double sum = 1.0; // the fundamental, always at level 1
    for (std::int32_t k = Drawbar2; k <= Drawbar3; ++k)
        sum += heldInRange(params[k].load(relaxed));
    const auto drawbarSum = static_cast<float>(sum);
    derived.drawbarSum.store(drawbarSum, relaxed);
    derived.harmonicWeight[0].store(roundToInt(1.0 / drawbarSum * 1000.0), relaxed);
    const std::int32_t first = drawbarRule == DrawbarRule::Positions ? Drawbar2 : index;
    const std::int32_t last = drawbarRule == DrawbarRule::Positions ? Drawbar3 : index;
    for (std::int32_t k = first; k <= last; ++k) {
        const double level = heldInRange(params[k].load(relaxed));
        derived.harmonicWeight[kDrawbarBlock[k - Drawbar2]].store(
            roundToInt(level / drawbarSum * 1000.0), relaxed);
    }
}

void DrawbarEngine::beginVoiceChange() {
    renderer->invalidate();
}

void DrawbarEngine::noteOff(std::uint8_t note, std::int32_t deltaFrames) {
    beginVoiceChange();
    const std::int32_t key = note & 0x7F;
    for (Voice& v : voices)
        if (v.noteNumber == key && v.stage >= AttackStage && v.stage <= SustainStage)
            v.releaseCountdown = frameOrNow(deltaFrames);
}

// No search for a free voice: the ring's next voice is taken whatever it plays, and the one
// after it is released, so at most 16 voices hold a note and a stolen voice has had the time
// between two note-ons to fade.
void DrawbarEngine::noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t deltaFrames) {
    if ((velocity & 0x7F) == 0) return noteOff(note, deltaFrames);
    if (!tuned.sounds[note & 0x7F]) return;
    beginVoiceChange();
    const std::int32_t delta = frameOrNow(deltaFrames);
    lastVoice = lastVoice + 1 > kTopVoice ? 0 : lastVoice + 1;
    const std::int32_t v = lastVoice;
    Voice& next = voices[v == kTopVoice ? 0 : v + 1];
    if (next.stage >= AttackStage && next.stage <= SustainStage) next.releaseCountdown = delta;
    startVoice(note & 0x7F, velocity & 0x7F, delta, v);
}

void DrawbarEngine::pitchBend(std::uint16_t amount) {
    bendWheel(static_cast<std::uint16_t>(amount & 0x3F80));
}

// Only the phase steps change: steady lanes take them and go on.
void DrawbarEngine::bendWheel(std::uint16_t amount) {
    pitch.setBend(amount, derived.bendRange.load(relaxed));
    retune();
}

void DrawbarEngine::modWheel(std::uint8_t value) {
    pitch.setModWheel(value);
}

void DrawbarEngine::channelPressure(std::uint8_t value) {
    pitch.setPressure(value);
}

void DrawbarEngine::channelVolume(std::uint8_t value) {
    output.setChannelVolume(value);
}

void DrawbarEngine::expression(std::uint8_t value) {
    output.setExpression(value);
}

// A silent voice takes its pitch when its note starts.
void DrawbarEngine::retune() {
    for (std::int32_t v = 0; v <= kTopVoice; ++v)
        if (voices[v].stage != Idle) updatePitch(v);
    renderer->takePhaseSteps();
}

TuningTable DrawbarEngine::untunedTable() {
    TuningTable table;
    for (int note = 0; note < kTuningNotes; ++note) {
        table.hz[note] = static_cast<double>(waveTables().NoteFrequency[note]);
        table.sounds[note] = true;
    }
    return table;
}

void DrawbarEngine::setTuning(const TuningTable& table) {
    tuned = table;
    retune();
}

// The instrument plays every channel, so a scale/octave message for any channel applies.
bool DrawbarEngine::applyTuningMessage(const std::uint8_t* bytes, std::size_t size) {
    if (!applyMtsMessage(bytes, size, kEveryChannel, tuned)) return false;
    retune();
    return true;
}

void DrawbarEngine::allSoundOff() {
    beginVoiceChange();
    for (Voice& v : voices)
        v.stage = Idle;
}

void DrawbarEngine::startVoice(std::int32_t note, std::int32_t velocity, std::int32_t delta,
                               std::int32_t v) {
    Voice& voice = voices[v];
    voice.noteNumber = note;
    voice.velocity = velocity;
    // The velocity counts by velocity_sense, the rest of the way to full; at 1 it is the
    // velocity itself, exactly.
    const double sense = derived.velocitySense.load(relaxed);
    const double level = velocity * sense + 127.0 * (1.0 - sense);
    voice.voiceGain = static_cast<float>(level * 0.007874015748031496 * 2e-9);
    expressions.started(v, voice.voiceGain);
    voice.startDelay = delta;
    voice.stage = AttackStage;
    voice.attackPos = 0;
    voice.smoothed = 0;
    voice.phase = 0;
    voice.envLevel = 0;
    voice.bandState = 0;
    voice.lowState = 0;
    voice.releaseCountdown = -1;
    voice.curve = 1.0;
    voice.keyTrack = static_cast<float>(((velocity + 128) * note) * 0.000030517578125);
    voice.band = -1; // any band the step gives
    updatePitch(v);
}

void DrawbarEngine::updatePitch(std::int32_t v) {
    Voice& voice = voices[v];
    voice.phaseStep = static_cast<float>(noteHz(voice.noteNumber) *
                                         static_cast<double>(derived.tableStep.load(relaxed)) *
                                         pitch.factor() * expressions.pitchFactor[v]);
    chooseCleanTables(voice);
}

// Whatever moved the step: a note, the bend, the vibrato, the tuning.
void DrawbarEngine::chooseCleanTables(Voice& voice) {
    voice.band = nextCleanBand(voice.band, voice.phaseStep);
}

void DrawbarEngine::render(float* left, float* right, std::int32_t frames) {
    play({bestRenderIsa(), false}, left, right, frames, false);
}

void DrawbarEngine::renderReplacing(float* left, float* right, std::int32_t frames) {
    play({bestRenderIsa(), false}, left, right, frames, true);
}

void DrawbarEngine::renderWith(RenderIsa isa, float* left, float* right, std::int32_t frames,
                               bool replacing) {
    play({isa, false}, left, right, frames, replacing);
}

void DrawbarEngine::renderReference(float* left, float* right, std::int32_t frames) {
    play({RenderIsa::Sse2, true}, left, right, frames, false);
}

// Worked out again only when the rate or the sample rate moved.
std::uint32_t DrawbarEngine::vibratoPhaseStep() {
    const float rateHz = derived.vibratoRate.load(relaxed);
    const double sampleRate = derived.sampleRate.load(relaxed);
    if (rateHz != vibratoFor.rateHz || sampleRate != vibratoFor.sampleRate)
        vibratoFor = {rateHz, sampleRate, PitchModulation::phasePerPeriod(rateHz, sampleRate)};
    return vibratoFor.phaseStep;
}

// At unity gain the voices render straight into the host's buffers; otherwise a replacing call
// scales them there, and an adding one renders them into the scratch first.
void DrawbarEngine::play(RenderPath path, float* left, float* right, std::int32_t frames,
                         bool replacing) {
    if (frames <= 0) return;
    if (pitch.followRange(derived.bendRange.load(relaxed))) retune();
    output.follow(derived.volumeGain.load(relaxed), derived.sampleRate.load(relaxed));
    // The first call starts at the level set, not from unity; later ones glide unless silent.
    if (output.gliding() && (!playedBefore || soundingVoices() == 0)) output.settle();
    playedBefore = true;
    if (output.unity()) return playPitched(path, left, right, frames, replacing);
    if (replacing) {
        playPitched(path, left, right, frames, true);
        return output.scale(left, right, frames);
    }
    for (std::int32_t at = 0; at < frames; at += kScratchFrames) {
        const std::int32_t n = std::min(kScratchFrames, frames - at);
        playPitched(path, scratch[0], scratch[1], n, true);
        output.addScaled(scratch[0], scratch[1], left + at, right + at, n);
    }
}

// Without vibrato the block renders in one piece; with it, in pieces that meet at the grid
// points, where every voice takes the pitch of that moment.
void DrawbarEngine::playPitched(RenderPath path, float* left, float* right, std::int32_t frames,
                                bool replacing) {
    const float depth = derived.vibratoDepth.load(relaxed);
    const std::uint32_t phaseStep = vibratoPhaseStep();
    if (!pitch.moving(depth)) {
        renderVoices(path, left, right, frames, replacing);
        return pitch.advance(frames, phaseStep);
    }
    for (std::int32_t at = 0; at < frames;) {
        std::int32_t n = pitch.framesToGridPoint();
        if (n == 0) {
            if (pitch.updateVibrato(depth)) retune();
            n = PitchModulation::kVibratoPeriod;
        }
        n = std::min(n, frames - at);
        renderVoices(path, left + at, right + at, n, replacing);
        pitch.advance(n, phaseStep);
        at += n;
    }
}

void DrawbarEngine::renderVoices(RenderPath path, float* left, float* right, std::int32_t frames,
                                 bool replacing) {
    if (!path.reference) return renderer->render(path.isa, left, right, frames, replacing);
    if (replacing) {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
    }
    renderer->renderReference(left, right, frames);
}
