// The instrument as every front sees it, whatever the plug-in format: sixteen classic parameters
// with their texts and the playing controls beyond them (synth/parameters.h), 32 programs with
// their names and the order a program is applied in, the sample rate, notes and controllers in
// and audio out. Knows no host, no format and no editor.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "synth/drawbar_rule.h"
#include "synth/note_expression_kind.h"
#include "synth/parameters.h"
#include "synth/program.h"
#include "synth/tuning_mailbox.h"

class DrawbarEngine;

inline constexpr std::int32_t kProgramCount = 32;

class Instrument {
  public:
    // 32 programs named "init1" to "init32" at the defaults, program 0 selected, 44100 Hz. The
    // VST 2 front asks for the classic drawbar rule, and its programs hold the playing controls at
    // their classic values; every other front plays by the positions.
    explicit Instrument(DrawbarRule rule = DrawbarRule::Positions);
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // --- Parameters [any thread; each value written whole] ---
    // Stores `value` unclamped into the current program and the sound, then recomputes what the
    // render derives from it. Indices run over every control (0 to kControlCount - 1); the
    // VST 2 front offers only the classic ones. An index outside stores nothing.
    void setParameter(std::int32_t index, float value);
    // The sound's current value; 0 outside.
    float parameter(std::int32_t index) const;
    // "A", "D", ..., "Smooth", "Volume", ...; empty outside.
    static const char* parameterName(std::int32_t index);
    // The current value in two-decimal notation ("0.10"), cut to `size` bytes; empty outside.
    void parameterDisplay(std::int32_t index, char* text, std::size_t size) const;

    // [any thread] Sets the values `values` gives, each as setParameter does, in
    // kControlApplyOrder: the one order in which several values are applied. The order matters
    // because lengths and the cut-off take the rate in force when they are set, and under the
    // classic drawbar rule a drawbar's weight keeps the drawbar sum of the moment it is set, so
    // the weights depend on the order of changes and on the values that stood before.
    void applyValues(const ParameterSet& values);

    // --- Programs ---
    std::int32_t currentProgram() const { return current.load(std::memory_order_relaxed); }
    // [any thread] Makes `p` current and applies all its values once. A number outside 0..31
    // changes nothing.
    void selectProgram(std::int32_t p);
    // [any thread] Makes `p` current and applies its values at the rate in force in kSettleOrder:
    // the drawbars a second time, when every drawbar finds the others at their final values, so
    // even under the classic rule the sound follows the program and the rate alone, whatever
    // stood before. A number outside 0..31 changes nothing.
    void settleProgram(std::int32_t p);
    // Writes every value (by index) into the current program and selects it, as a host loading a
    // preset or a test setting up a patch does. Given the sixteen classic values alone, the
    // playing controls keep theirs.
    void loadValues(const std::array<float, kControlCount>& values);
    void loadValues(const std::array<float, kParameterCount>& values);
    const VstXSynthProgram& program(std::int32_t p) const { return programs[p]; }
    // Renames program `p` (the current one when omitted): at most 23 characters of `name` are
    // kept, and nothing but the name is touched. False outside 0..31 or for a null name.
    bool setProgramName(std::int32_t p, const char* name);
    // [not while rendering] Stores one value into program `p` without applying it (state restore).
    void setProgramValue(std::int32_t p, std::int32_t index, float value);
    // The current program, values and name, copied onto `destination`; the sound is unchanged.
    bool copyProgram(std::int32_t destination);

    // --- Sample rate [any thread] ---
    float sampleRate() const { return rate.load(std::memory_order_relaxed); }
    // True when `r` is usable (finite, above 0); then pitches follow at once, and lengths and the
    // cut-off follow when their parameter is next set or a program is selected or settled.
    bool setSampleRate(float r);
    // Takes `r` for the lengths and the cut-off only, leaving pitches on the previous rate.
    bool setParameterRate(float r);

    // --- Playing and audio [audio thread] ---
    // Typed entries only: each front decodes its own events (synth/midi_front.h for MIDI bytes,
    // plugin/vst2/vst2_midi.h for VST 2's). At frame `frame` of the coming render (a negative one:
    // its start); notes and velocities count modulo 128. A note-on of velocity 0 is a note-off, as
    // in MIDI.
    void noteOn(std::uint8_t note, std::uint8_t velocity, std::int32_t frame);
    // Releases every held voice of `note`.
    void noteOff(std::uint8_t note, std::int32_t frame);
    // At once: the wheel position `amount` (0 to 16383, 8192 in the middle; only its upper seven
    // bits count) over the bend range, and silence without release.
    void pitchBend(std::uint16_t amount);
    void allSoundOff();
    // At once, for the fronts that address single notes (CLAP): the tuning or level of every
    // sounding voice of `note` (synth/note_expression_kind.h), and its silence without release.
    void noteExpression(std::uint8_t note, NoteExpression kind, double value);
    void silenceKey(std::uint8_t note);
    // The performance controllers, for the fronts with a MIDI front (not VST 2, whose MIDI
    // keeps the classic entries above): the bend with all fourteen bits, and from 0 to 127 the mod
    // wheel and channel pressure (the larger brings in the vibrato's depth), channel volume and
    // expression (each scales the output, 127 leaving it as it is).
    void bendWheel(std::uint16_t amount);
    void modWheel(std::uint8_t value);
    void channelPressure(std::uint8_t value);
    void channelVolume(std::uint8_t value);
    void expression(std::uint8_t value);
    // Adds `frames` samples of every sounding voice to both buffers.
    void render(float* left, float* right, std::int32_t frames);
    // Renders into both buffers over what they hold, as clearing them and then rendering would.
    void renderReplacing(float* left, float* right, std::int32_t frames);

    // --- Tuning (never used by the VST 2 front, which keeps its note table) ---
    // [audio thread] Every note's frequency and whether it sounds, in force at once: sounding
    // notes follow as they follow a bend, and a key that does not sound starts no voice.
    void setTuning(const TuningTable& table);
    // [audio thread] One MIDI Tuning Standard message (SysEx, F0 to F7) applied to the tuning in
    // force; true when it changed anything.
    bool applyTuningMessage(const std::uint8_t* bytes, std::size_t size);
    // [audio thread] The tuning in force (equal temperament: untunedTable()).
    const TuningTable& tuning();
    // [any thread but the audio thread] A table the audio thread takes before its next note,
    // tuning message or block; a later post replaces one not taken yet.
    void postTuning(const TuningTable& table) { postedTuning.post(table); }
    // Equal temperament as the instrument plays it without a tuning, to the bit.
    static TuningTable untunedTable();

  private:
    // Makes `p` current and applies its values in `order`; a number outside 0..31 changes nothing.
    void applyProgram(std::int32_t p, std::span<const std::int32_t> order);
    // [audio thread] Puts a posted tuning in force.
    void takePostedTuning();

    // Tests and benchmarks look at the engine and render through one instruction set with it
    // (synth/engine_probe.h); no front does.
    friend struct EngineProbe;

    // The sound: parameters, voices and the render, held apart (the render's state is large and
    // its types are its own), made with the instrument and never on the audio thread.
    std::unique_ptr<DrawbarEngine> engineState;
    std::array<VstXSynthProgram, kProgramCount> programs;
    std::atomic<std::int32_t> current{0};
    std::atomic<float> rate{44100.0f};
    TuningMailbox postedTuning;
    TuningTable arrivingTuning{}; // [audio thread] where a posted table is copied to
};
