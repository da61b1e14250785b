// The sound engine: the 17-voice ring, note intake and the render, over the parameters and what
// is derived from them (synth/engine_parameters.h). Free of host and windowing code.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "synth/drawbar_rule.h"
#include "synth/engine_parameters.h"
#include "synth/engine_values.h"
#include "synth/note_expression.h"
#include "synth/output_gain.h"
#include "synth/parameters.h"
#include "synth/pitch_modulation.h"
#include "synth/render/render_isa.h"
#include "synth/tuning/tuning_table.h"
#include "synth/voice.h"
#include "synth/wave_tables.h"

class VoiceRenderer;
struct FastRenderState;

class DrawbarEngine {
  public:
    explicit DrawbarEngine(DrawbarRule rule);
    ~DrawbarEngine();
    DrawbarEngine(const DrawbarEngine&) = delete;
    DrawbarEngine& operator=(const DrawbarEngine&) = delete;

    // [constructing thread] Voices idle, no bend, ring at voice 0, table step for 44100 Hz.
    void initEngine();

    // [any thread] The parameters and what is derived from them.
    EngineParameters& parameters() { return settings; }
    const EngineParameters& parameters() const { return settings; }

    // [audio thread] Note intake (synth/voice_allocation.cpp). `deltaFrames` is a frame within
    // the coming block, a negative one meaning its start; notes and velocities count modulo 128.
    // Starts `note` on the ring's next voice; velocity 0 releases the note, as in MIDI.
    void noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t deltaFrames);
    // Releases every held voice of `note` at `deltaFrames`.
    void noteOff(std::uint8_t note, std::int32_t deltaFrames);
    // Retunes every voice at once to the wheel position `amount` (0 to 16383, 8192 in the
    // middle) over the bend range.
    void bendWheel(std::uint16_t amount);
    // The performance controllers of the fronts that take raw MIDI (never VST 2's): the mod
    // wheel and channel pressure bring in the vibrato, channel volume and expression scale the
    // output. Each from 0 to 127.
    void modWheel(std::uint8_t value);
    void channelPressure(std::uint8_t value);
    void channelVolume(std::uint8_t value);
    void expression(std::uint8_t value);
    // Every voice silent at once, without release.
    void allSoundOff();

    // At once, to every sounding voice of `note` (synth/note_expression.cpp): its tuning or level
    // on top of everything else, until the voice starts another note; and silence without
    // release.
    void noteExpression(std::uint8_t note, NoteExpression kind, double value);
    void silenceKey(std::uint8_t note);
    // [audio thread] Every note's frequency and whether it sounds. Sounding voices take their
    // note's new pitch at once, as with a bend; a key that does not sound starts no voice.
    void setTuning(const TuningTable& table);
    // [audio thread] One MIDI Tuning Standard message applied to the tuning in force; true when
    // it changed anything, and then it is in force.
    bool applyTuningMessage(const std::uint8_t* bytes, std::size_t size);
    // The tuning in force; without one, the note table's frequencies and every key sounding.
    const TuningTable& tuning() const { return tuned; }
    static TuningTable untunedTable();
    // [audio thread] Adds `frames` samples of every sounding voice to both buffers.
    void render(float* left, float* right, std::int32_t frames);
    // [audio thread] The same into buffers taken as silent: gives what clearing them and then
    // calling `render` gives, without reading them.
    void renderReplacing(float* left, float* right, std::int32_t frames);
    // [audio thread] The straightforward per-sample render; the reference every faster render
    // must match to the bit.
    void renderReference(float* left, float* right, std::int32_t frames);
    // [audio thread] The fast render on one instruction set (the reference when the CPU lacks
    // it), adding or replacing; `render` and `renderReplacing` use the set chosen at load time.
    // Tests and benchmarks compare the sets.
    void renderWith(RenderIsa isa, float* left, float* right, std::int32_t frames,
                    bool replacing = false);

    // Read access for the editor-free tests and tools.
    const Voice& voice(std::int32_t index) const;
    const EngineValues& values() const { return derived; }
    std::int32_t lastVoiceIndex() const { return lastVoice; }
    float currentBendFactor() const { return pitch.bendFactor(); }
    std::int32_t soundingVoices() const;
    const FastRenderState& fastRenderState() const;

  private:
    // Which render the voices go through: the fast one on `isa`, or the reference.
    struct RenderPath {
        RenderIsa isa;
        bool reference;
    };
    // [audio thread] Every render: the voices through `path`, with the vibrato's grid and the
    // output gain.
    void play(RenderPath path, float* left, float* right, std::int32_t frames, bool replacing);
    void playPitched(RenderPath path, float* left, float* right, std::int32_t frames,
                     bool replacing);
    void renderVoices(RenderPath path, float* left, float* right, std::int32_t frames,
                      bool replacing);
    // [audio thread] Every voice's phase step for the pitch in force, the lanes told.
    void retune();
    // The vibrato oscillator's step per grid period at the rate and sample rate in force.
    std::uint32_t vibratoPhaseStep();

    // [audio thread] Before notes change the voices: they are brought up to date, and the render
    // learns that they changed.
    void beginVoiceChange();
    void startVoice(std::int32_t note, std::int32_t velocity, std::int32_t delta, std::int32_t v);
    // [audio thread] The voice's phase step for its note, the tuning, the bend, the vibrato and
    // its tuning expression.
    void updatePitch(std::int32_t v);
    double noteHz(std::int32_t note) const { return tuned.hz[note & 127]; }
    // The Clean oscillators' tables for the voice's phase step.
    static void chooseCleanTables(Voice& voice);

    EngineValues derived;
    EngineParameters settings; // derives into `derived`
    const WaveTables& tables;
    VoiceRing voices{};
    std::int32_t lastVoice = 0; // voice that took the latest note-on
    PitchModulation pitch;      // bend and vibrato [audio thread]
    // [audio thread] Starts as the note table widened to double, so equal temperament gives
    // the very phase steps of a build without tunings.
    TuningTable tuned = untunedTable();
    OutputGain output;         // volume, channel volume and expression [audio thread]
    bool playedBefore = false; // a render call has run
    // Where a gain other than 1 renders the voices before they are scaled into an adding call.
    static constexpr std::int32_t kScratchFrames = 256;
    float scratch[2][kScratchFrames]{};
    // The vibrato's step per period and what it was worked out for [audio thread].
    struct {
        float rateHz = -1;
        double sampleRate = 0;
        std::uint32_t phaseStep = 0;
    } vibratoFor;
    // Per-note tuning and level [audio thread].
    VoiceExpressions expressions;
    // Renders the voices; told before anything else changes them. Held apart, as it is large
    // and its types are the render's own.
    std::unique_ptr<VoiceRenderer> renderer;
};
