// The X server's density as a whole scale factor for the form. Desktops that scale their own
// interfaces publish their choice as the Xft.dpi resource; a server without it still knows its
// screen's size in millimetres, which is often right for a lone monitor.
#include <X11/Xlib.h>

#include <charconv>
#include <cstring>

#include "editor/drawn/form_scale.h"
#include "editor/x11/x11_form_window.h"

namespace {

constexpr double kMillimetresPerInch = 25.4;

// Xft.dpi as a number; 0 when absent or not one.
double resourceDpi(Display* display) {
    const char* text = XGetDefault(display, "Xft", "dpi");
    if (text == nullptr) return 0;
    double dpi = 0;
    const char* end = text + std::strlen(text);
    if (std::from_chars(text, end, dpi).ec != std::errc{}) return 0;
    return dpi;
}

double screenDpi(Display* display) {
    const int screen = DefaultScreen(display);
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres <= 0) return 0;
    return DisplayWidth(display, screen) * kMillimetresPerInch / millimetres;
}

} // namespace

std::int32_t serverScaleFactor() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    double dpi = resourceDpi(display);
    if (dpi <= 0) dpi = screenDpi(display);
    XCloseDisplay(display); // frees the resource database read for XGetDefault with it
    return formScaleForDpi(dpi);
}
