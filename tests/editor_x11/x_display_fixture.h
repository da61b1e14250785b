// The VST 2 editor on the test host window: an instrument with its GrEditor reached through the
// dispatcher.
#pragma once

#include "tests/editor_x11/x_server_fixture.h" // first: gtest before Xlib

#include <cstdint>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "host/vst2_recording_host.h"
#include "plugin/vst2/avst_xsynth.h"
#include "plugin/vst2/gr_editor.h"

class XDisplayTest : public XServerTest {
  protected:
    XDisplayTest();
    ~XDisplayTest() override;

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr);
    VstIntPtr openEditor(); // in the host window
    GrEditor& editor();
    // Gives the editor `count` idles, `ms` apart.
    void idle(int count = 1, int ms = 0);

    Vst2RecordingHost host;
    AVstXSynth* synth = nullptr;
    AEffect* effect = nullptr;
};
