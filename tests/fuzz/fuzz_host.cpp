#include "tests/fuzz/fuzz_host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editor/editor_form.h"
#include "editor/parameter_binding.h"
#include "host/vst2_event_list.h"
#include "host/vst2_quiet_host.h"
#include "plugin/vst2/audio_effect.h"
#include "plugin/vst2/gr_editor.h"
#include "plugin/vst2/plugin_factory.h"
#include "tests/fuzz/guarded_buffer.h"

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void fuzzCheck(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

AEffect* createFuzzedInstance() {
    AudioEffect* object = createEffectInstance(quietVst2Host);
    fuzzCheck(object != nullptr, "the entry creates an instance");
    return object->getAeffect();
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
    for (std::size_t i = 0; i < count; ++i)
        left.data()[i] = right.data()[i] = start;

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
    std::vector<BlockMessage> notes(static_cast<std::size_t>(1 + in.byte() % 8));
    for (BlockMessage& note : notes) {
        note.offset = in.byte();
        note.bytes[0] = 0x90;
        note.bytes[1] = in.byte() & 0x7F;
        note.bytes[2] = static_cast<std::uint8_t>(1 + in.byte() % 127);
    }
    VstEventList list;
    fuzzCheck(dispatch(effect, effProcessEvents, 0, 0, list.fill(notes)) == 1,
              "processEvents answers 1");
}

void editorStep(AEffect* effect, FuzzInput& in) {
    static int parentWindow = 0; // the headless backend makes no window inside it
    auto* editor = dynamic_cast<GrEditor*>(static_cast<AudioEffect*>(effect->object)->getEditor());
    fuzzCheck(editor != nullptr, "the instrument has its editor");
    TForm1* form = editor->getForm();
    if (form == nullptr) {
        fuzzCheck(dispatch(effect, effEditOpen, 0, 0, &parentWindow) == 1, "the editor opens");
        return;
    }
    switch (in.byte() % 4) {
    case 0:
        form->Timer1Timer();
        break;
    case 1:
        if (FormControl* control = form->boundControl(in.anyInt()))
            control->setPosition(in.anyInt());
        break;
    case 2: {
        // Screen coordinates stay within the 16-bit range that window systems report.
        auto coordinate = [&in] { return static_cast<std::int16_t>(in.u16()); };
        TTsumami* knob = form->knobFor(in.byte() % 16);
        if (knob == nullptr) break;
        knob->beginDrag({coordinate(), coordinate()});
        for (int move = in.byte() % 4; move > 0; --move)
            knob->dragTo({coordinate(), coordinate()});
        knob->endDrag();
        break;
    }
    default:
        editor->update();
        break;
    }
    for (std::int32_t p = 0; p < 16; ++p) {
        const FormControl* control = form->boundControl(p);
        fuzzCheck(control != nullptr, "every parameter has its control");
        fuzzCheck(control->position() >= 0 && control->position() <= kBindings[p].steps,
                  "every control within its range");
    }
}
