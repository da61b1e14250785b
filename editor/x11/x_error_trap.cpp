#include "editor/x11/x_error_trap.h"

namespace {
// The innermost trap of the thread that runs the editors; all of them run on the host's user
// interface thread.
XErrorTrap* innermostTrap = nullptr;
} // namespace

XErrorTrap::XErrorTrap(Display* display)
    : display(display), previous(XSetErrorHandler(&XErrorTrap::handle)), outer(innermostTrap) {
    innermostTrap = this;
}

XErrorTrap::~XErrorTrap() {
    XSync(display, False);
    innermostTrap = outer;
    XSetErrorHandler(previous);
}

bool XErrorTrap::failed() {
    XSync(display, False);
    return error;
}

int XErrorTrap::handle(Display* display, XErrorEvent* event) {
    XErrorTrap* outermost = nullptr;
    for (XErrorTrap* trap = innermostTrap; trap != nullptr; trap = trap->outer) {
        if (trap->display == display) {
            trap->error = true;
            return 0;
        }
        outermost = trap;
    }
    if (outermost != nullptr && outermost->previous != nullptr)
        return outermost->previous(display, event);
    return 0;
}
