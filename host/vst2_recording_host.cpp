#include "host/vst2_recording_host.h"

Vst2RecordingHost* Vst2RecordingHost::current = nullptr;

Vst2RecordingHost::Vst2RecordingHost() {
    answers[audioMasterVersion] = 2400; // a host of the 2.4 generation
    current = this;
}

Vst2RecordingHost::~Vst2RecordingHost() {
    if (current == this) current = nullptr;
}

VstIntPtr VSTCALL Vst2RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt) {
    if (current == nullptr) return 0;
    current->calls.push_back({effect, opcode, index, value, ptr, opt});
    auto it = current->answers.find(opcode);
    return it == current->answers.end() ? 0 : it->second;
}

std::vector<Vst2HostCall> Vst2RecordingHost::callsWith(VstInt32 opcode) const {
    std::vector<Vst2HostCall> found;
    for (const Vst2HostCall& c : calls)
        if (c.opcode == opcode) found.push_back(c);
    return found;
}
