// Keeps the X errors of the editor's own connection from reaching the host's error handler,
// whose default ends the process: a window id from the host that is not a window, or a host
// window destroyed under the form, must not bring the host down. Errors of any other
// connection go on to the handler that was there before.
#pragma once

#include <X11/Xlib.h>

class XErrorTrap {
  public:
    // [ui thread] Traps the errors of `display` until the end of the scope; traps nest.
    explicit XErrorTrap(Display* display);
    // Waits for the server's answer to every request made so far, then puts the earlier handler
    // back.
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether a request of the connection made since the trap was set has failed; waits for
    // the server to answer them all.
    bool failed();

  private:
    static int handle(Display* display, XErrorEvent* event);

    Display* display;
    XErrorHandler previous;
    XErrorTrap* outer;
    bool error = false;
};
