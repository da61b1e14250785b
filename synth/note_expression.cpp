// The per-note entries of the instrument and the engine: expressions and the silencing of single
// keys, kept apart from the paths every note takes.
#include "synth/note_expression.h"

#include <algorithm>
#include <cmath>

#include "synth/drawbar_engine.h"
#include "synth/instrument.h"
#include "synth/render/render_fast.h"

double noteExpressionFactor(NoteExpression kind, double value) {
    if (std::isnan(value)) return 1.0;
    if (kind == NoteExpression::Tuning) return std::exp2(std::clamp(value, -120.0, 120.0) / 12.0);
    return std::clamp(value, 0.0, 4.0);
}

void DrawbarEngine::noteExpression(std::uint8_t note, NoteExpression kind, double value) {
    const std::int32_t key = note & 0x7F;
    const double factor = noteExpressionFactor(kind, value);
    if (kind == NoteExpression::Volume) beginVoiceChange();
    bool retuned = false;
    for (std::int32_t v = 0; v <= kTopVoice; ++v) {
        Voice& voice = voices[v];
        if (voice.noteNumber != key || voice.stage == Idle) continue;
        if (kind == NoteExpression::Tuning) {
            expressions.pitchFactor[v] = factor;
            updatePitch(v);
            retuned = true;
        } else {
            expressions.gain[v] = static_cast<float>(factor);
            voice.voiceGain = expressions.startGain[v] * expressions.gain[v];
        }
    }
    if (retuned) renderer->takePhaseSteps();
}

void DrawbarEngine::silenceKey(std::uint8_t note) {
    beginVoiceChange();
    const std::int32_t key = note & 0x7F;
    for (Voice& v : voices)
        if (v.noteNumber == key) v.stage = Idle;
}

void Instrument::noteExpression(std::uint8_t note, NoteExpression kind, double value) {
    engineState->noteExpression(note, kind, value);
}

void Instrument::silenceKey(std::uint8_t note) {
    engineState->silenceKey(note);
}
