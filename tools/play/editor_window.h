// The editor, with its strip of playing controls and its program chooser, in a top-level window of
// its own titled with the instrument's name; closing it, or losing the display, ends the player.
#pragma once

#include <memory>

#include "editor/editor_form.h"
#include "editor/form_window.h"
#include "tools/play/program_queue_link.h"
#include "tools/play/queue_link.h"
#include "tools/play/source_tuning_link.h"

class EditorWindow {
  public:
    // [main thread] Opens and shows the window, drawn `scale` times its size (0: from the
    // display); its strip tells and resets `tuning`. Throws ToolError when no window can be
    // opened.
    EditorWindow(Instrument& instrument, ParameterQueue& queue, TuningSource& tuning, int scale);

    // [main thread] Handles the window's events and the form's timer.
    void idle() { window->idle(); }
    // Closed by the user, or destroyed by another client.
    bool closed() const { return window->closeRequested(); }
    // The X server ended or dropped the connection; the window is gone.
    bool displayLost() const { return window->connectionLost(); }

  private:
    QueueLink link;
    ProgramQueueLink programs;
    SourceTuningLink tuningLink;
    TForm1 form{FormExtent::WithProgramChooser};
    std::unique_ptr<FormWindow> window; // goes before the form and the link it calls
};
