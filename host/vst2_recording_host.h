// A VST 2 host callback that records every call and answers from a table: for tests that play
// host to an instrument made in the process, and check what it asks of its host.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "plugin/vst2/aeffect.h"

struct Vst2HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class Vst2RecordingHost {
  public:
    // The callback to hand to a plug-in; it reaches the host made most recently.
    static VstIntPtr VSTCALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                      VstIntPtr value, void* ptr, float opt);

    Vst2RecordingHost();
    ~Vst2RecordingHost();

    std::vector<Vst2HostCall> calls;
    std::map<VstInt32, VstIntPtr> answers; // by opcode; unlisted opcodes answer 0

    std::vector<Vst2HostCall> callsWith(VstInt32 opcode) const;

  private:
    static Vst2RecordingHost* current;
};
