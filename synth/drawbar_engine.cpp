#include "synth/drawbar_engine.h"

#include <algorithm>

#include "synth/clean_tables.h"
#include "synth/render/render_fast.h"
#include "synth/tuning/mts_messages.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

} // namespace

DrawbarEngine::DrawbarEngine(DrawbarRule rule)
    : settings(rule, derived), tables(waveTables()),
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
    settings.setTableStep(44100.0);
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
