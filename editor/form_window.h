// The one thing a windowing backend provides to the editor: the form's window, holding the
// layout's controls, the 100 ms timer and the synchronous repaint. The build picks the backend
// (editor/win32, editor/headless, ...); each defines createFormWindow.
#pragma once

#include <cstdint>
#include <memory>

class TForm1;

class FormWindow {
  public:
    FormWindow() = default;
    // Destroys the window with its controls and stops its timer; the form is told nothing.
    virtual ~FormWindow() = default;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // [ui thread] Makes the window visible (again).
    virtual void show() = 0;
    // [ui thread] Invalidates the whole form and runs its FormPaint before returning.
    virtual void repaintNow() = 0;
    // [ui thread] Called on every idle of the editor. A backend without a message loop of its
    // own in the plug-in (X11) handles its pending window events and its timer here.
    virtual void idle() {}
    // [ui thread] True once the user closed a top-level window; a child window never is.
    virtual bool closed() const { return false; }
    // Client size in pixels.
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
};

// [ui thread] Creates the form's window, hidden, as a borderless child at the top-left corner of
// the host's window `parent`; builds the layout's controls at their layout positions, attaches
// the sliders and radio groups to `form`, hands `form` its repaint, and starts the timer that
// runs form.Timer1Timer every 100 ms. Null when the window cannot be made.
std::unique_ptr<FormWindow> createFormWindow(void* parent, TForm1& form);
