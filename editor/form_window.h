// The one thing a windowing backend provides to the editor: the form's window, holding the
// layout's controls, the 100 ms timer and the synchronous repaint. The build picks the backend
// (editor/win32, editor/headless, ...); each defines createFormWindow. A backend may offer more
// ways to make the window (editor/x11/x11_form_window.h: at a scale, top-level).
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
    // Client size in pixels.
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // [ui thread] A window of its own (not a host's child) whose close the user asked for; the
    // window stays until its owner destroys it.
    virtual bool closeRequested() const { return false; }
    // [ui thread] The connection to the windowing system is gone (the X server ended, or killed
    // the editor's connection): nothing is shown any more, and idle() does nothing.
    virtual bool connectionLost() const { return false; }
    // The windowing system's id of the form's window (an X11 Window), for a host that is given
    // the form as a widget; 0 where there is none.
    virtual std::uintptr_t nativeWindow() const { return 0; }
    // A file descriptor that turns readable when the window has events for idle() to handle (the
    // X11 connection), for a host that watches descriptors; -1 where there is none.
    virtual int eventDescriptor() const { return -1; }
};

// [ui thread] Creates the form's window, hidden, as a borderless child at the top-left corner of
// the host's window `parent`; builds the layout's controls at their layout positions, attaches
// the sliders and radio groups to `form`, hands `form` its repaint, and starts the timer that
// runs form.Timer1Timer every 100 ms. Null when the window cannot be made.
std::unique_ptr<FormWindow> createFormWindow(void* parent, TForm1& form);
