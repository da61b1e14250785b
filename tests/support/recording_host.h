// A host callback that records every call and answers from a table, for tests that play host.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "plugin/vst2/aeffect.h"

struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
  public:
    // The callback to hand to a plug-in; it reaches the host made most recently.
    static VstIntPtr VSTCALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                      VstIntPtr value, void* ptr, float opt);

    RecordingHost();
    ~RecordingHost();

    std::vector<HostCall> calls;
    std::map<VstInt32, VstIntPtr> answers; // by opcode; unlisted opcodes answer 0

    std::vector<HostCall> callsWith(VstInt32 opcode) const;

  private:
    static RecordingHost* current;
};
