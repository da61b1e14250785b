#include "tests/editor_x11/x_display_fixture.h"

#include <chrono>
#include <thread>

namespace {

AEffEditor* makeEditor(AVstXSynth* synth) {
    return new GrEditor(synth);
}

} // namespace

XDisplayTest::XDisplayTest() {
    if (display == nullptr) return; // the base has failed the test
    synth = new AVstXSynth(Vst2RecordingHost::callback, makeEditor);
    effect = synth->getAeffect();
}

XDisplayTest::~XDisplayTest() {
    if (effect != nullptr) dispatch(effClose);
}

VstIntPtr XDisplayTest::dispatch(VstInt32 opcode, void* ptr) {
    if (effect == nullptr) return 0; // no display: the constructor has failed the test
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

VstIntPtr XDisplayTest::openEditor() {
    return dispatch(effEditOpen, reinterpret_cast<void*>(static_cast<std::uintptr_t>(hostWindow)));
}

GrEditor& XDisplayTest::editor() {
    return static_cast<GrEditor&>(*synth->getEditor());
}

void XDisplayTest::idle(int count, int ms) {
    for (int i = 0; i < count; ++i) {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        dispatch(effEditIdle);
    }
    XSync(display, False);
}
