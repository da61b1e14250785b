#include "editor/drawn/push_button.h"
#include "editor/drawn/hit_test.h"

#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"

namespace {
constexpr std::int32_t kArrowDepth = 4; // columns of the arrow; it is twice as high less one
}

PushButton::PushButton(ControlRect bounds, Arrow arrow) : area(bounds), arrow(arrow) {}

bool PushButton::contains(PixelPoint point) const {
    return rectContains(area, point);
}

bool PushButton::press(PixelPoint point) {
    held = over = contains(point);
    return held;
}

void PushButton::move(PixelPoint point) {
    if (held) over = contains(point);
}

void PushButton::release(PixelPoint point) {
    const bool clicked = held && contains(point);
    held = over = false;
    if (clicked && OnClick) OnClick();
}

void PushButton::paint(RasterCanvas& canvas) const {
    canvas.fillRect(area.left, area.top, area.width, area.height, kButtonFace);
    // Pushed, the face sinks: a dark frame with a shadow inside it, and the arrow a pixel lower
    // and to the right.
    std::int32_t shift = 0;
    if (pushed()) {
        const std::int32_t right = area.left + area.width - 1;
        const std::int32_t bottom = area.top + area.height - 1;
        canvas.fillRect(area.left, area.top, area.width, 1, kDarkShadow);
        canvas.fillRect(area.left, bottom, area.width, 1, kDarkShadow);
        canvas.fillRect(area.left, area.top, 1, area.height, kDarkShadow);
        canvas.fillRect(right, area.top, 1, area.height, kDarkShadow);
        canvas.fillRect(area.left + 1, area.top + 1, area.width - 2, 1, kButtonShadow);
        canvas.fillRect(area.left + 1, area.top + 1, 1, area.height - 2, kButtonShadow);
        shift = 1;
    } else {
        drawEdge(canvas, area, EdgeKind::Raised);
    }
    if (arrow == Arrow::Plain) return;
    const std::int32_t left = area.left + (area.width - kArrowDepth) / 2 + shift;
    const std::int32_t middle = area.top + (area.height - 1) / 2 + shift;
    for (std::int32_t column = 0; column < kArrowDepth; ++column) {
        // The point is one pixel, each column further from it one pixel longer at both ends.
        const std::int32_t reach = arrow == Arrow::Left ? column : kArrowDepth - 1 - column;
        canvas.fillRect(left + column, middle - reach, 1, 2 * reach + 1, kBlack);
    }
}
