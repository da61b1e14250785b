#include "tools/play/editor_window.h"

#include <X11/Xlib.h>

#include <array>

#include "editor/x11/x11_form_window.h"
#include "synth/identity.h"
#include "tools/common/tool_error.h"

namespace {

// Xlib's own words for a lost connection ("XIO: fatal IO error 11 ...") stay off the terminal:
// the window reports the loss, and the player says it on one line.
int quietAboutLostConnection(Display*) {
    return 0;
}

// The text box names the player and its version, where the VST 2 editor's names its own build.
constexpr std::array<const char*, 4> kPlayerAboutLines = {
    "Ulvo Draw " ULVO_VERSION, "DrawBar Synth, ulvo-play", "", "https://korvane.example/ulvodraw"};

} // namespace

EditorWindow::EditorWindow(Instrument& instrument, ParameterQueue& queue, TuningSource& tuning,
                           int scale)
    : link(instrument, queue), programs(instrument, queue), tuningLink(instrument, tuning) {
    XSetIOErrorHandler(quietAboutLostConnection);
    form.AboutLines = kPlayerAboutLines;
    window = createTopLevelFormWindow(kProductName, scale > 0 ? scale : serverScaleFactor(), form);
    if (window == nullptr)
        throw ToolError("cannot open the editor's window (is DISPLAY set?); --no-gui plays "
                        "without it");
    // The controls stand at their layout positions before the handlers are attached, so that
    // nothing is sent while the form is built; the first poll, before the window shows, moves
    // them to the sound's values and fills the chooser.
    form.FormCreate();
    form.Synth = &link;
    form.Programs = &programs;
    form.Tuning = &tuningLink;
    form.Timer1Timer();
    window->show();
}
