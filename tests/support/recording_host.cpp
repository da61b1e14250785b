#include "tests/support/recording_host.h"

RecordingHost* RecordingHost::current = nullptr;

RecordingHost::RecordingHost() {
    answers[1] = 2400; // audioMasterVersion: a host of the 2.4 generation
    current = this;
}

RecordingHost::~RecordingHost() {
    if (current == this) current = nullptr;
}

VstIntPtr VSTCALL RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt) {
    if (current == nullptr) return 0;
    current->calls.push_back({effect, opcode, index, value, ptr, opt});
    auto it = current->answers.find(opcode);
    return it == current->answers.end() ? 0 : it->second;
}

std::vector<HostCall> RecordingHost::callsWith(VstInt32 opcode) const {
    std::vector<HostCall> found;
    for (const HostCall& c : calls)
        if (c.opcode == opcode) found.push_back(c);
    return found;
}
