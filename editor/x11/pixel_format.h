// Turns the canvas's 0xRRGGBB colours into pixel values of a TrueColor visual, from the visual's
// channel masks.
#pragma once

#include <bit>

#include "editor/drawn/raster_canvas.h"

struct PixelFormat {
    unsigned long redMask;
    unsigned long greenMask;
    unsigned long blueMask;

    unsigned long pixel(Rgb colour) const {
        return channel((colour >> 16) & 0xFF, redMask) | channel((colour >> 8) & 0xFF, greenMask) |
               channel(colour & 0xFF, blueMask);
    }

  private:
    // An 8-bit channel value scaled to the mask's width and moved to its place.
    static unsigned long channel(unsigned long value, unsigned long mask) {
        if (mask == 0) return 0;
        const int shift = std::countr_zero(mask);
        const unsigned long top = mask >> shift; // all ones, as wide as the channel
        return ((value * top + 127) / 255) << shift;
    }
};
