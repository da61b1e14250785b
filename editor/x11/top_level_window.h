// The form in a top-level window of its own, for a program that has no host window to give it
// (the standalone player): a titled, fixed-size window that the window manager decorates, with
// the form's child window inside it.
#pragma once

#include <memory>

#include "editor/form_window.h"

class TForm1;

// [ui thread] Creates the window, hidden, titled `title`, holding the form's window with its
// controls, timer and repaint as createFormWindow makes them. `scale` is the drawing factor (1 to
// 3), or 0 to take it from the display's resolution. Its closed() turns true once the user closes
// it. Null when no display can be opened or the window cannot be made.
std::unique_ptr<FormWindow> createTopLevelFormWindow(const char* title, int scale, TForm1& form);
