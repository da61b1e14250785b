// The ring's voices taken and released: note on and off, a voice's start, silence. The pitch a
// voice plays and the render live in synth/drawbar_engine.cpp, a note's expressions in
// synth/note_expression.cpp.
#include "synth/drawbar_engine.h"

#include "synth/render/render_fast.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// A negative offset would never count down to a release; it means "now".
std::int32_t frameOrNow(std::int32_t deltaFrames) {
    return deltaFrames < 0 ? 0 : deltaFrames;
}

} // namespace

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
