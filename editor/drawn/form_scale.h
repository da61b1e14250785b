// The whole factor at which a drawn backend shows the form on dense screens: every coordinate,
// the font and the hit tests grow by it, while the form itself (the layout, the knob's drag)
// keeps counting in its own unscaled pixels.
#pragma once

#include <cstdint>

#include "editor/drawn/raster_canvas.h"

inline constexpr std::int32_t kMaxFormScale = 3;
inline constexpr double kBaseDpi = 96.0; // the layout's pixels are 96 dpi ones

// A host's or user's factor as a whole one: the nearest, halves up, held within 1..3; anything
// that is not a number gives 1.
std::int32_t wholeFormScale(double factor);

// The factor for a screen of `dpi` dots per inch; 1 when the density is unknown (0 or less).
std::int32_t formScaleForDpi(double dpi);

// Window pixels to form pixels: the form pixel that holds the window pixel, rounding towards
// the top-left however far outside the form the pointer is.
PixelPoint toFormPixels(PixelPoint window, std::int32_t scale);
