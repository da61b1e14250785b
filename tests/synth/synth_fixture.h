// Drives an Instrument as a front does: raw MIDI messages at frames of the coming render,
// parameter writes, and renders into both channels.
#pragma once

#include <vector>

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
            instrument.midiEvent(m.status, m.data1, m.data2, m.deltaFrames);
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
