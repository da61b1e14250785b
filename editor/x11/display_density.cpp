#include "editor/x11/display_density.h"

#include <X11/Xresource.h>

#include <cstdlib>

namespace {

// Xft.dpi as the desktop publishes it in the server's resource database; 0 when unset.
double resourceDpi(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return 0.0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 0.0;
    double dpi = 0.0;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
        dpi = std::strtod(value.addr, nullptr);
    XrmDestroyDatabase(database);
    return dpi;
}

} // namespace

double displayDpi(Display* display) {
    if (const double dpi = resourceDpi(display); dpi > 0.0) return dpi;
    const int screen = DefaultScreen(display);
    const int millimetres = DisplayWidthMM(display, screen);
    if (millimetres <= 0) return 96.0;
    return DisplayWidth(display, screen) * 25.4 / millimetres;
}
