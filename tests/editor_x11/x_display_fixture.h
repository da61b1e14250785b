// A test host on a real X display (with_xvfb.sh gives each run one of its own): a top-level
// window to open the editor in, an instrument with its GrEditor reached through the dispatcher,
// and the form's pixels read back from the server.
#pragma once

// Xlib last: its macros (None, Bool, Status, ...) would change what follows.
#include <gtest/gtest.h>

#include <cstdint>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/raster_canvas.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "plugin/vst2/avst_xsynth.h"
#include "plugin/vst2/gr_editor.h"
#include "tests/support/recording_host.h"

#include <X11/Xlib.h>

class XDisplayTest : public testing::Test {
  protected:
    XDisplayTest();
    ~XDisplayTest() override;

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr);
    VstIntPtr openEditor(); // in the host window
    GrEditor& editor();
    // Gives the editor `count` idles, `ms` apart.
    void idle(int count = 1, int ms = 0);
    // The editor's form window inside the host window, or None.
    Window formWindow();
    // The host window's pixels, as 0xRRGGBB.
    RasterCanvas readBack(int left, int top, int width, int height);

    Display* display = nullptr;
    Window hostWindow = None;
    RecordingHost host;
    AVstXSynth* synth = nullptr;
    AEffect* effect = nullptr;
};
