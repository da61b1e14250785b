// Drives an AVstXSynth the way a host does: opcodes, event lists, parameter writes, buffers.
#pragma once

#include <vector>

#include "host/vst2_event_list.h"
#include "host/vst2_recording_host.h"
#include "plugin/vst2/avst_xsynth.h"
#include "synth/engine_probe.h"

struct MidiMessage {
    int deltaFrames;
    unsigned char status, data1, data2;
};

class SynthHost {
  public:
    SynthHost() : synth(Vst2RecordingHost::callback, nullptr) {}

    VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0) {
        AEffect* e = synth.getAeffect();
        return e->dispatcher(e, op, index, value, ptr, opt);
    }

    void send(const std::vector<MidiMessage>& messages) {
        std::vector<BlockMessage> block;
        for (const MidiMessage& m : messages)
            block.push_back({m.deltaFrames, {m.status, m.data1, m.data2}});
        dispatch(effProcessEvents, 0, 0, events.fill(block));
    }
    void noteOn(int note, int velocity = 100, int delta = 0) {
        send({{delta, 0x90, static_cast<unsigned char>(note),
               static_cast<unsigned char>(velocity)}});
    }
    void noteOff(int note, int delta = 0) {
        send({{delta, 0x80, static_cast<unsigned char>(note), 0}});
    }

    // Renders with processReplacing; returns the left channel and checks right equals it.
    std::vector<float> render(int frames) {
        std::vector<float> left(frames, 9.0f), right(frames, 9.0f);
        float* outs[2] = {left.data(), right.data()};
        synth.getAeffect()->processReplacing(synth.getAeffect(), nullptr, outs, frames);
        if (left != right) bothChannelsEqual = false;
        return left;
    }

    const Voice& voice(int i) const { return EngineProbe::engine(synth.getInstrument()).voice(i); }
    const EngineValues& values() const {
        return EngineProbe::engine(synth.getInstrument()).values();
    }

    Vst2RecordingHost host;
    VstEventList events;
    AVstXSynth synth;
    bool bothChannelsEqual = true;
};
