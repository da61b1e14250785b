// Drives an Instrument as the VST 2 front does: raw MIDI messages at frames of the coming render,
// parameter writes, and renders into both channels.
#pragma once

#include <cmath>
#include <vector>

#include "plugin/vst2/vst2_midi.h"
#include "synth/engine_probe.h"
#include "synth/instrument.h"

struct MidiMessage {
    int deltaFrames;
    unsigned char status, data1, data2;
};

class PlayedInstrument {
  public:
    explicit PlayedInstrument(DrawbarRule rule = DrawbarRule::Positions) : instrument(rule) {}

    void send(const std::vector<MidiMessage>& messages) {
        for (const MidiMessage& m : messages)
            playVst2Midi(instrument, m.status, m.data1, m.data2, m.deltaFrames);
    }
    void noteOn(int note, int velocity = 100, int delta = 0) {
        send({{delta, 0x90, static_cast<unsigned char>(note),
               static_cast<unsigned char>(velocity)}});
    }
    void noteOff(int note, int delta = 0) {
        send({{delta, 0x80, static_cast<unsigned char>(note), 0}});
    }
    // The playing controls at their classic values: the classic formulas hold (a bend of one
    // semitone, the linear envelope).
    void classicControls() {
        for (std::int32_t index = kParameterCount; index < kControlCount; ++index)
            instrument.setParameter(index, kClassicValues[index]);
    }

    // A plain sine with the filter open, so that the output's period is the note's.
    void pureSine() {
        for (int k = Drawbar2; k <= Drawbar3; ++k)
            instrument.setParameter(k, 0.0f);
        instrument.setParameter(Type, 1.0f); // high-pass at the top of the cut-off passes the sine
        instrument.setParameter(CutOff, 0.0f);
        instrument.setParameter(Type, 0.0f);
        instrument.setParameter(CutOff, 1.0f);
        instrument.setParameter(Env, 0.0f);
    }

    // Renders replacing what the buffers hold; returns the left channel and notes whether the
    // right one equals it.
    std::vector<float> render(int frames) {
        std::vector<float> left(frames, 9.0f), right(frames, 9.0f);
        instrument.renderReplacing(left.data(), right.data(), frames);
        if (left != right) bothChannelsEqual = false;
        return left;
    }

    const DrawbarEngine& engine() const { return EngineProbe::engine(instrument); }
    const Voice& voice(int i) const { return engine().voice(i); }
    const EngineValues& values() const { return engine().values(); }

    Instrument instrument;
    bool bothChannelsEqual = true;
};

// Envelope levels by rendering a constant oscillator: square wave, fundamental only, no filter;
// the playing controls at their classic values unless a test changes them.
struct EnvelopeProbe {
    PlayedInstrument s;
    EnvelopeProbe() {
        s.classicControls();
        for (int k = Drawbar2; k <= Drawbar3; ++k)
            s.instrument.setParameter(k, 0.0f);
        s.instrument.setParameter(Type, 1.3f);        // mode 3 passes the oscillator unfiltered
        s.instrument.setParameter(Wave, 2.0f / 3.0f); // square: constant through the first half
    }
    // Output divided by the steady-state level, so that the result is the envelope.
    std::vector<double> levels(int frames) {
        const auto out = s.render(frames);
        std::vector<double> e(frames);
        const double gain = s.voice(1).voiceGain;
        for (int i = 0; i < frames; ++i)
            e[i] = std::fabs(out[i]) / (100000.0 * 1000 * gain);
        return e;
    }
};
