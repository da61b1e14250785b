#include "editor/drawn/classic_look.h"

#include <algorithm>
#include <array>

#include "editor/drawn/system_colours.h"

namespace {

void hLine(RasterCanvas& canvas, std::int32_t x0, std::int32_t x1, std::int32_t y, Rgb colour) {
    if (x1 >= x0) canvas.fillRect(x0, y, x1 - x0 + 1, 1, colour);
}
void vLine(RasterCanvas& canvas, std::int32_t x, std::int32_t y0, std::int32_t y1, Rgb colour) {
    if (y1 >= y0) canvas.fillRect(x, y0, 1, y1 - y0 + 1, colour);
}

// One ring of an edge: `topLeft` on the top and left sides, `bottomRight` on the others.
void ring(RasterCanvas& canvas, std::int32_t left, std::int32_t top, std::int32_t right,
          std::int32_t bottom, Rgb topLeft, Rgb bottomRight) {
    hLine(canvas, left, right - 1, top, topLeft);
    vLine(canvas, left, top, bottom - 1, topLeft);
    hLine(canvas, left, right, bottom, bottomRight);
    vLine(canvas, right, top, bottom, bottomRight);
}

// The round box, 12 x 12: S shadow, D dark shadow, H highlight, L light, W window, '.' left as
// it is.
constexpr std::array<const char*, kRadioBoxSize> kRadioBox = {
    "....SSSS....", "..SSDDDDSS..", ".SDDWWWWDDH.", ".SDWWWWWWLH.", "SDWWWWWWWWLH", "SDWWWWWWWWLH",
    "SDWWWWWWWWLH", "SDWWWWWWWWLH", ".SDWWWWWWLH.", ".HLLWWWWLLH.", "..HHLLLLHH..", "....HHHH....",
};
// The dot of a checked box, centred.
constexpr std::array<const char*, 4> kRadioDot = {".##.", "####", "####", ".##."};

} // namespace

void drawEdge(RasterCanvas& canvas, ControlRect rect, EdgeKind kind) {
    const std::int32_t right = rect.left + rect.width - 1;
    const std::int32_t bottom = rect.top + rect.height - 1;
    if (kind == EdgeKind::Sunken) {
        ring(canvas, rect.left, rect.top, right, bottom, kButtonShadow, kButtonHighlight);
        ring(canvas, rect.left + 1, rect.top + 1, right - 1, bottom - 1, kDarkShadow, kButtonLight);
    } else {
        ring(canvas, rect.left, rect.top, right, bottom, kButtonHighlight, kDarkShadow);
        ring(canvas, rect.left + 1, rect.top + 1, right - 1, bottom - 1, kButtonLight,
             kButtonShadow);
    }
}

void drawGroupFrame(RasterCanvas& canvas, ControlRect rect, std::int32_t lineOffset,
                    std::int32_t gapLeft, std::int32_t gapWidth, bool flat) {
    const std::int32_t left = rect.left;
    const std::int32_t top = rect.top + lineOffset;
    const std::int32_t right = rect.left + rect.width - 1;
    const std::int32_t bottom = rect.top + rect.height - 1;
    // The top lines leave out the caption's gap.
    auto topLine = [&](std::int32_t x0, std::int32_t x1, std::int32_t y, Rgb colour) {
        hLine(canvas, x0, std::min(x1, gapLeft - 1), y, colour);
        hLine(canvas, std::max(x0, gapLeft + gapWidth), x1, y, colour);
    };
    if (flat) {
        topLine(left, right, top, kButtonShadow);
        vLine(canvas, left, top, bottom, kButtonShadow);
        vLine(canvas, right, top, bottom, kButtonShadow);
        hLine(canvas, left, right, bottom, kButtonShadow);
        return;
    }
    topLine(left, right - 1, top, kButtonShadow);
    vLine(canvas, left, top, bottom - 1, kButtonShadow);
    vLine(canvas, right - 1, top, bottom - 1, kButtonShadow);
    hLine(canvas, left, right - 1, bottom - 1, kButtonShadow);
    topLine(left + 1, right - 2, top + 1, kButtonHighlight);
    vLine(canvas, left + 1, top + 1, bottom - 2, kButtonHighlight);
    vLine(canvas, right, top, bottom, kButtonHighlight);
    hLine(canvas, left, right, bottom, kButtonHighlight);
}

void drawRadioBox(RasterCanvas& canvas, std::int32_t left, std::int32_t top, bool checked) {
    for (std::int32_t y = 0; y < kRadioBoxSize; ++y)
        for (std::int32_t x = 0; x < kRadioBoxSize; ++x) {
            Rgb colour;
            switch (kRadioBox[y][x]) {
            case 'S':
                colour = kButtonShadow;
                break;
            case 'D':
                colour = kDarkShadow;
                break;
            case 'H':
                colour = kButtonHighlight;
                break;
            case 'L':
                colour = kButtonLight;
                break;
            case 'W':
                colour = kWindowColour;
                break;
            default:
                continue;
            }
            canvas.setPixel(left + x, top + y, colour);
        }
    if (!checked) return;
    const std::int32_t dotSize = static_cast<std::int32_t>(kRadioDot.size());
    const std::int32_t offset = (kRadioBoxSize - dotSize) / 2;
    for (std::int32_t y = 0; y < dotSize; ++y)
        for (std::int32_t x = 0; x < dotSize; ++x)
            if (kRadioDot[y][x] == '#')
                canvas.setPixel(left + offset + x, top + offset + y, kBlack);
}

RasterCanvas knobImage(std::int32_t width, std::int32_t height, const KnobPaint& paint) {
    auto at = [](KnobPoint p) { return PixelPoint{p.x, p.y}; };
    RasterCanvas canvas(width, height, kButtonFace);
    canvas.ellipse(at(paint.discFrom), at(paint.discTo), kBlack, kButtonFace);
    for (const KnobArc& arc : paint.rings)
        canvas.arc(at(arc.boxFrom), at(arc.boxTo), at(arc.rayStart), at(arc.rayEnd),
                   penColour(arc.pen));
    for (const KnobLine& line : paint.pointer)
        canvas.line(at(line.from), at(line.to), penColour(line.pen));
    for (const KnobLine& line : paint.marks)
        canvas.line(at(line.from), at(line.to), penColour(line.pen));
    return canvas;
}
