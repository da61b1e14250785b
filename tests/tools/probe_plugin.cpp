// A tiny VST 2 instrument that makes the host's work audible, for testing ulvo-render:
// - left output: at the frame of every note-on, note / 128; elsewhere 0;
// - right output: the value of parameter 0 ("Offset") plus that of parameter 2 ("Level") on
//   every frame, so that together they can pass full scale;
// - a sample of -1 on the left at the start of a block marks a host that broke the protocol
//   (a render while switched off or before the sample rate, an event outside its block, a block
//   longer than announced).
// Parameters: 0 "Offset", 1 "2", 2 "Level" (the name "2" is not index 2). Programs 0 to 2;
// selecting program N sets Offset to N / 10.
// Built in variants: PROBE_NO_OUTPUTS, PROBE_NULL_ENTRY, PROBE_NO_ENTRY.
#include <cstring>

#include "plugin/vst2/aeffectx.h"

namespace {

constexpr int kMaxEvents = 4096;
constexpr int kParams = 3;
constexpr int kPrograms = 3;

struct Probe {
    AEffect effect{};
    float params[kParams] = {};
    int program = 0;
    bool on = false;
    float rate = 0.0f;
    VstIntPtr blockSize = 0;
    VstMidiEvent pending[kMaxEvents];
    int pendingCount = 0;
    bool broken = false;
};

Probe* probeOf(AEffect* e) {
    return static_cast<Probe*>(e->object);
}

[[maybe_unused]] VstIntPtr VSTCALL dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt) {
    Probe* p = probeOf(e);
    static const char* const names[kParams] = {"Offset", "2", "Level"};
    switch (opcode) {
    case effClose:
        delete p;
        return 0;
    case effSetProgram:
        p->program = static_cast<int>(value);
        p->params[0] = static_cast<float>(value) / 10.0f;
        return 0;
    case effGetProgram:
        return p->program;
    case effGetParamName:
        if (index >= 0 && index < kParams) std::strcpy(static_cast<char*>(ptr), names[index]);
        return 0;
    case effSetSampleRate:
        p->rate = opt;
        return 0;
    case effSetBlockSize:
        p->blockSize = value;
        return 0;
    case effMainsChanged:
        p->on = value != 0;
        return 0;
    case effProcessEvents: {
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int i = 0; i < list->numEvents && p->pendingCount < kMaxEvents; ++i)
            if (list->events[i]->type == kVstMidiType)
                p->pending[p->pendingCount++] = *reinterpret_cast<VstMidiEvent*>(list->events[i]);
        if (!p->on) p->broken = true;
        return 1;
    }
    default:
        return 0;
    }
}

[[maybe_unused]] void VSTCALL processReplacing(AEffect* e, float** /*inputs*/, float** outputs,
                                               VstInt32 frames) {
    Probe* p = probeOf(e);
    bool broken = p->broken || !p->on || p->rate <= 0.0f || frames > p->blockSize;
    for (VstInt32 i = 0; i < frames; ++i) {
        outputs[0][i] = 0.0f;
        outputs[1][i] = p->params[0] + p->params[2];
    }
    for (int k = 0; k < p->pendingCount; ++k) {
        const VstMidiEvent& m = p->pending[k];
        if (m.deltaFrames < 0 || m.deltaFrames >= frames) {
            broken = true;
            continue;
        }
        const auto status = static_cast<unsigned char>(m.midiData[0]) & 0xF0u;
        if (status == 0x90u && m.midiData[2] != 0)
            outputs[0][m.deltaFrames] = static_cast<float>(m.midiData[1]) / 128.0f;
    }
    p->pendingCount = 0;
    p->broken = false;
    if (broken && frames > 0) outputs[0][0] = -1.0f;
}

[[maybe_unused]] void VSTCALL process(AEffect* e, float** inputs, float** outputs,
                                      VstInt32 frames) {
    processReplacing(e, inputs, outputs, frames);
}

[[maybe_unused]] void VSTCALL setParameter(AEffect* e, VstInt32 index, float value) {
    if (index >= 0 && index < kParams) probeOf(e)->params[index] = value;
}

[[maybe_unused]] float VSTCALL getParameter(AEffect* e, VstInt32 index) {
    return index >= 0 && index < kParams ? probeOf(e)->params[index] : 0.0f;
}

} // namespace

#ifndef PROBE_NO_ENTRY
VST_EXPORT AEffect* VSTCALL VSTPluginMain(audioMasterCallback host) {
#ifdef PROBE_NULL_ENTRY
    (void)host;
    return nullptr;
#else
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* p = new Probe;
    AEffect& e = p->effect;
    e.magic = kEffectRecordMagic;
    e.dispatcher = dispatcher;
    e.process = process;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numPrograms = kPrograms;
    e.numParams = kParams;
#ifdef PROBE_NO_OUTPUTS
    e.numOutputs = 0;
#else
    e.numOutputs = 2;
#endif
    e.flags = effFlagsCanReplacing | effFlagsIsSynth;
    e.object = p;
    return &e;
#endif
}
#else
VST_EXPORT int probeWithoutEntry() {
    return 0;
}
#endif
