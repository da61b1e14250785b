// Whether a point falls in a control's rectangle: the test every drawn control makes on a press.
#pragma once

#include "editor/drawn/raster_canvas.h"
#include "editor/form_layout.h"

// Left and top edges inside, right and bottom edges outside, as the rectangle's pixels are.
inline bool rectContains(const ControlRect& r, PixelPoint point) {
    return point.x >= r.left && point.y >= r.top && point.x < r.left + r.width &&
           point.y < r.top + r.height;
}
