// Drives an AVstXSynth the way a host does: opcodes, event lists, parameter writes, buffers.
#pragma once

#include <vector>

#include "plugin/vst2/avst_xsynth.h"
#include "synth/engine_probe.h"
#include "tests/support/recording_host.h"

struct MidiMessage {
    int deltaFrames;
    unsigned char status, data1, data2;
};

class SynthHost {
  public:
    SynthHost() : synth(RecordingHost::callback, nullptr) {}

    VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0) {
        AEffect* e = synth.getAeffect();
        return e->dispatcher(e, op, index, value, ptr, opt);
    }

    void send(std::vector<MidiMessage> messages) {
        std::vector<VstMidiEvent> events(messages.size());
        std::vector<VstEvent*> pointers;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            events[i].type = kVstMidiType;
            events[i].byteSize = sizeof(VstMidiEvent);
            events[i].deltaFrames = messages[i].deltaFrames;
            events[i].midiData[0] = static_cast<char>(messages[i].status);
            events[i].midiData[1] = static_cast<char>(messages[i].data1);
            events[i].midiData[2] = static_cast<char>(messages[i].data2);
            pointers.push_back(reinterpret_cast<VstEvent*>(&events[i]));
        }
        // The list's trailing array holds as many pointers as there are events.
        std::vector<char> storage(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(pointers.size());
        for (std::size_t i = 0; i < pointers.size(); ++i)
            list->events[i] = pointers[i];
        dispatch(effProcessEvents, 0, 0, list);
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

    RecordingHost host;
    AVstXSynth synth;
    bool bothChannelsEqual = true;
};
