#include "editor/tsumami.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/round_half_even.h"

TTsumami::TTsumami() {
    SetPosition(50);
    // One half of the sweep from the formula; the other half mirrors the stored values, so that
    // positions 50 - j and 50 + j are exact mirror images. (At j = 0 the mirror flips the sign
    // of the centre's tiny cos(pi/2), which no pixel can show.)
    for (std::int32_t j = 0; j <= 50; ++j) {
        const double t = std::numbers::pi / 2 - j * std::numbers::pi / 65;
        PointerY[50 + j] = static_cast<float>(-std::sin(t));
        PointerX[50 + j] = static_cast<float>(std::cos(t));
        PointerY[50 - j] = PointerY[50 + j];
        PointerX[50 - j] = -PointerX[50 + j];
    }
}

void TTsumami::SetPosition(std::int32_t value) {
    Position = std::clamp(value, 0, kMaxPosition);
    if (RequestRepaint) RequestRepaint();
    raiseChange();
}

void TTsumami::beginDrag(KnobPoint screen) {
    Dragging = true;
    DragStartCursor = screen;
    DragStartPosition = Position;
}

void TTsumami::dragTo(KnobPoint screen) {
    if (!Dragging) return;
    DragCursor = screen;
    // Each axis is halved and rounded on its own: one pixel right and one up cancel to nothing.
    // Differences and sum in double: cursor travel of any size can neither overflow nor wrap.
    const std::int32_t dx = roundToInt((double(DragCursor.x) - DragStartCursor.x) * 0.5);
    const std::int32_t dy = roundToInt((double(DragStartCursor.y) - DragCursor.y) * 0.5);
    const double p = double(DragStartPosition) + dx + dy;
    SetPosition(p > kMaxPosition ? kMaxPosition : (p < 0 ? 0 : static_cast<std::int32_t>(p)));
}

void TTsumami::endDrag() {
    Dragging = false;
}

KnobPaint TTsumami::paintGeometry(std::int32_t width, std::int32_t height) const {
    const double w = width;
    const double h = height;
    const std::int32_t cx = roundToInt(w * 0.5);
    const std::int32_t cy = roundToInt(h * 0.5);
    const double x = PointerX[Position];
    const double y = PointerY[Position];

    KnobPaint paint{};
    paint.discFrom = {2, 2};
    paint.discTo = {width - 4, height - 4};

    // The inner ring, split along the diagonal from upper right to lower left.
    const KnobPoint upperRight{4 * (width / 5), height / 5};
    const KnobPoint lowerLeft{width / 5, 4 * (height / 5)};
    const KnobPoint ringFrom{4, 4};
    const KnobPoint ringTo{width - 6, height - 6};
    paint.rings[0] = {KnobPen::ButtonHighlight, ringFrom, ringTo, upperRight, lowerLeft};
    paint.rings[1] = {KnobPen::ButtonShadow, ringFrom, ringTo, lowerLeft, upperRight};

    // The pointer: a shadow line, a highlight line two pixels up and left with the same length,
    // and a shorter black line between them.
    const KnobPoint reach{roundToInt((w - 2) * x * 0.5), roundToInt((h - 2) * y * 0.5)};
    paint.pointer[0] = {KnobPen::ButtonShadow, {cx, cy}, {cx + reach.x, cy + reach.y}};
    paint.pointer[1] = {
        KnobPen::ButtonHighlight, {cx - 2, cy - 2}, {cx - 2 + reach.x, cy - 2 + reach.y}};
    paint.pointer[2] = {
        KnobPen::Black,
        {cx - 1, cy - 1},
        {cx - 1 + roundToInt((w - 4) * x * 0.5), cy - 1 + roundToInt((h - 4) * y * 0.5)}};

    // Scale marks at both ends and the middle, from just inside the rim to the edge.
    constexpr std::array<std::int32_t, 3> kMarkPositions = {100, 50, 0};
    for (std::size_t i = 0; i < kMarkPositions.size(); ++i) {
        const double mx = PointerX[kMarkPositions[i]];
        const double my = PointerY[kMarkPositions[i]];
        paint.marks[i] = {KnobPen::Black,
                          {roundToInt((w - 6) * mx * 0.5 + w * 0.5) - 1,
                           roundToInt((h - 6) * my * 0.5 + h * 0.5) - 1},
                          {roundToInt(w * mx * 0.5 + w * 0.5), roundToInt(h * my * 0.5 + h * 0.5)}};
    }
    return paint;
}
