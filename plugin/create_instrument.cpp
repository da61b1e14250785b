// Ties the instrument to its editor: the one place that knows both.
#include "editor/gr_editor.h"
#include "host/plugin_factory.h"
#include "synth/avst_xsynth.h"

namespace {
AEffEditor* makeEditor(AVstXSynth* synth) { return new GrEditor(synth); }
} // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new AVstXSynth(audioMaster, makeEditor);
}
