// The X11 backend's ways to open the form besides createFormWindow (a child at scale 1): as the
// child of any X window at a whole scale factor, as a top-level window of its own, and the
// factor that suits the X server's screen. Each window's connection, when the server ends or
// kills it, is reported as lost (FormWindow::connectionLost) instead of ending the process.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/form_window.h"

class TForm1;

// [ui thread] The form as a borderless child of the X window `parent`, `scale` times the form's
// size (held within 1..3), on a connection of its own, hidden; the rest as createFormWindow.
// Null when the window cannot be made.
std::unique_ptr<FormWindow> createChildFormWindow(std::uintptr_t parent, std::int32_t scale,
                                                  TForm1& form);

// [ui thread] The form in a top-level window of its own titled `title` (UTF-8), of fixed size,
// `scale` times the form's (held within 1..3), hidden until show(). Its idle() handles the
// events and the timer as for a child; closeRequested() turns true once the user closes it
// with the window manager, or another client destroys it. Null without an X server.
std::unique_ptr<FormWindow> createTopLevelFormWindow(const char* title, std::int32_t scale,
                                                     TForm1& form);

// [ui thread] The factor for the default screen of the X server named by DISPLAY: its Xft.dpi
// resource, else its size in pixels and millimetres, over 96 dpi, rounded to 1..3; 1 without a
// server.
std::int32_t serverScaleFactor();
