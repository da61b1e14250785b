#include "editor/drawn/list_box.h"
#include "editor/drawn/hit_test.h"

#include <algorithm>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"

namespace {
constexpr std::int32_t kEdge = 2;
}

ListBox::ListBox(ControlRect bounds, std::int32_t columns, std::int32_t rows,
                 std::int32_t itemHeight, std::int32_t selected)
    : area(bounds), columns(std::max(columns, 1)), rows(std::max(rows, 1)),
      itemHeight(std::max(itemHeight, 1)), selected(std::clamp(selected, 0, itemCount() - 1)) {}

void ListBox::setPosition(std::int32_t value) {
    selected = std::clamp(value, 0, itemCount() - 1);
    raiseChange();
}

ControlRect ListBox::itemRect(std::int32_t index) const {
    const std::int32_t width = (area.width - 2 * kEdge) / columns;
    return {area.left + kEdge + index / rows * width, area.top + kEdge + index % rows * itemHeight,
            width, itemHeight};
}

std::int32_t ListBox::itemAt(PixelPoint point) const {
    for (std::int32_t i = 0; i < itemCount(); ++i) {
        if (rectContains(itemRect(i), point)) return i;
    }
    return -1;
}

bool ListBox::press(PixelPoint point) {
    if (!rectContains(area, point)) return false;
    const std::int32_t item = itemAt(point);
    if (item >= 0 && item != selected) setPosition(item);
    return true;
}

void ListBox::paint(RasterCanvas& canvas) const {
    canvas.fillRect(area.left, area.top, area.width, area.height, kWindowColour);
    drawEdge(canvas, area, EdgeKind::Sunken);
    const ControlRect item = itemRect(selected);
    canvas.fillRect(item.left, item.top, item.width, item.height, kHighlight);
}
