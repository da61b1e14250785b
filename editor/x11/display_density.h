// How many times its 96-dpi size the form is drawn at on a display: from the resolution the
// desktop announces (the Xft.dpi resource), else from the screen's size in pixels and millimetres.
#pragma once

#include <X11/Xlib.h>

#include <cmath>

// 96 dpi and less is 1; 144 to 239 dpi is 2; 240 and more is 3.
inline int scaleForDpi(double dpi) {
    if (!(dpi > 0.0)) return 1;
    const double factor = std::floor(dpi / 96.0 + 0.5);
    return factor < 1.0 ? 1 : factor > 3.0 ? 3 : static_cast<int>(factor);
}

// [ui thread] The resolution of `display`'s default screen in dots per inch; 96 when it tells
// nothing usable.
double displayDpi(Display* display);
