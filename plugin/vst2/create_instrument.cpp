// Ties the instrument to its editor: the one place that knows both.
#include "plugin/vst2/avst_xsynth.h"
#include "plugin/vst2/gr_editor.h"
#include "plugin/vst2/plugin_factory.h"

namespace {
AEffEditor* makeEditor(AVstXSynth* synth) {
    return new GrEditor(synth);
}
} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new AVstXSynth(audioMaster, makeEditor);
}
