#include "tests/fuzz/fuzz_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "synth/avst_xsynth.h"
#include "tests/fuzz/guarded_buffer.h"

namespace {

VstIntPtr VSTCALL fuzzHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                           VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

AEffEditor* baseEditor(AVstXSynth* synth) { return new AEffEditorX(synth); }

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

void fuzzCheck(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

AEffect* createFuzzedInstance() {
    auto* synth = new AVstXSynth(fuzzHost, baseEditor);
    return synth->getAeffect();
}

void closeFuzzedInstance(AEffect* effect) {
    fuzzCheck(dispatch(effect, effClose) == 1, "effClose answers 1");
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::int32_t renderChecked(AEffect* effect, FuzzInput& in) {
    const std::int32_t frames = in.frames();
    const bool replacing = (in.byte() & 1) == 0;
    const std::size_t count = frames > 0 ? static_cast<std::size_t>(frames) : 0;
    GuardedSamples left(count), right(count);
    // process adds to what the buffers hold: start both from the same finite values.
    const float start = replacing ? 7.0f : in.unitFloat() * 2.0f - 1.0f;
    for (std::size_t i = 0; i < count; ++i) left.data()[i] = right.data()[i] = start;

    // The instrument has no inputs: they are poisoned, and must be neither read nor written.
    GuardedBytes input(0);
    float* inputs[2] = {reinterpret_cast<float*>(input.data()),
                        reinterpret_cast<float*>(input.data())};
    GuardedBytes outputArray(2 * sizeof(float*));
    auto** outputs = reinterpret_cast<float**>(outputArray.data());
    outputs[0] = left.data();
    outputs[1] = right.data();

    if (replacing)
        effect->processReplacing(effect, inputs, outputs, frames);
    else
        effect->process(effect, inputs, outputs, frames);

    fuzzCheck(left.guardsIntact() && right.guardsIntact(), "no write around the outputs");
    fuzzCheck(input.guardsIntact() && outputArray.guardsIntact(), "no write around the arrays");
    fuzzCheck(outputs[0] == left.data() && outputs[1] == right.data(), "output array unchanged");
    for (std::size_t i = 0; i < count; ++i) {
        fuzzCheck(std::isfinite(left.data()[i]), "every sample finite");
        fuzzCheck(sameBits(left.data()[i], right.data()[i]), "both outputs identical");
    }
    return frames;
}

void startSomeNotes(AEffect* effect, FuzzInput& in) {
    const int count = 1 + in.byte() % 8;
    std::vector<VstMidiEvent> events(static_cast<std::size_t>(count));
    std::vector<VstEvent*> pointers(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        events[i] = VstMidiEvent{};
        events[i].type = kVstMidiType;
        events[i].byteSize = sizeof(VstMidiEvent);
        events[i].deltaFrames = in.byte();
        events[i].midiData[0] = static_cast<char>(0x90);
        events[i].midiData[1] = static_cast<char>(in.byte() & 0x7F);
        events[i].midiData[2] = static_cast<char>(1 + in.byte() % 127);
        pointers[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    // The list's trailing array holds as many pointers as there are events.
    std::vector<unsigned char> storage(offsetof(VstEvents, events) +
                                       pointers.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = count;
    std::memcpy(storage.data() + offsetof(VstEvents, events), pointers.data(),
                pointers.size() * sizeof(VstEvent*));
    fuzzCheck(dispatch(effect, effProcessEvents, 0, 0, list) == 1, "processEvents answers 1");
}
