// The classic Windows look of the form's frames and controls, drawn on a canvas: 3-D edges, group
// box frames, a slider's channel, ticks and thumb, radio buttons, and the knob from its paint
// geometry. Rectangles are in canvas pixels.
#pragma once

#include <cstdint>

#include "editor/drawn/raster_canvas.h"
#include "editor/form_layout.h"
#include "editor/knob_paint.h"

enum class EdgeKind : std::uint8_t {
    Sunken, // a text box or a slider's channel: shadows on the top and left
    Raised, // a slider's thumb: highlights on the top and left
};

// Two-pixel 3-D edge just inside `rect`.
void drawEdge(RasterCanvas& canvas, ControlRect rect, EdgeKind kind);

// A group box frame whose top line runs `lineOffset` pixels below the box's top, with a gap of
// `gapWidth` pixels from `gapLeft` where the caption goes. A flat frame is one shadow line; the
// usual one is etched: a shadow line with a highlight line inside it.
void drawGroupFrame(RasterCanvas& canvas, ControlRect rect, std::int32_t lineOffset,
                    std::int32_t gapLeft, std::int32_t gapWidth, bool flat);

// A radio button's round box of kRadioBoxSize pixels with its top-left at (left, top), with the
// dot when checked.
inline constexpr std::int32_t kRadioBoxSize = 12;
void drawRadioBox(RasterCanvas& canvas, std::int32_t left, std::int32_t top, bool checked);

// A knob of `width` x `height`: the background in button face, then the paint geometry with its
// pens, clipped to the knob as a window of its own would be.
RasterCanvas knobImage(std::int32_t width, std::int32_t height, const KnobPaint& paint);
