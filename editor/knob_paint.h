// What a knob paints, as plain data in the knob's own pixel coordinates: a backend draws it with
// its canvas, following the usual raster rules (a line's end pixel is not drawn; an ellipse's box
// excludes its right and bottom edges; arcs run counter-clockwise from the start ray).
#pragma once

#include <array>
#include <cstdint>

struct KnobPoint {
    std::int32_t x;
    std::int32_t y;
    bool operator==(const KnobPoint&) const = default;
};

// One-pixel pens in the system's colours.
enum class KnobPen : std::uint8_t { Black, ButtonHighlight, ButtonShadow };

struct KnobLine {
    KnobPen pen;
    KnobPoint from;
    KnobPoint to;
};

// Part of the ellipse inscribed in the box, counter-clockwise from the ray towards `rayStart` to
// the ray towards `rayEnd` (both rays from the box's centre).
struct KnobArc {
    KnobPen pen;
    KnobPoint boxFrom;
    KnobPoint boxTo;
    KnobPoint rayStart;
    KnobPoint rayEnd;
};

// Drawn in member order: the disc, the two arcs, the pointer, the scale marks.
struct KnobPaint {
    KnobPoint discFrom; // filled ellipse: black outline, button-face brush
    KnobPoint discTo;
    std::array<KnobArc, 2> rings;    // highlight on the upper left, shadow on the lower right
    std::array<KnobLine, 3> pointer; // shadow, highlight, black
    std::array<KnobLine, 3> marks;   // black, at positions 100, 50 and 0
};
