#include "editor/drawn/radio_group.h"
#include "editor/drawn/hit_test.h"

#include <algorithm>

#include "editor/drawn/classic_look.h"

RadioGroup::RadioGroup(ControlRect bounds, std::span<const char* const> items,
                       std::int32_t selected, std::int32_t textHeight)
    : area(bounds), items(items), selected(selected), textHeight(textHeight) {}

void RadioGroup::setPosition(std::int32_t value) {
    selected = std::clamp(value, 0, std::max(itemCount() - 1, 0));
    raiseChange();
}

ControlRect RadioGroup::itemRect(std::int32_t index) const {
    const ControlRect local = radioItemRect(area, itemCount(), index, textHeight);
    return {area.left + local.left, area.top + local.top, local.width, local.height};
}

ControlRect RadioGroup::itemBox(std::int32_t index) const {
    const ControlRect item = itemRect(index);
    return {item.left, item.top + (item.height - kRadioBoxSize) / 2, kRadioBoxSize, kRadioBoxSize};
}

std::int32_t RadioGroup::itemAt(PixelPoint point) const {
    for (std::int32_t i = 0; i < itemCount(); ++i) {
        if (rectContains(itemRect(i), point)) return i;
    }
    return -1;
}

bool RadioGroup::press(PixelPoint point) {
    pressedItem = itemAt(point);
    return pressedItem >= 0;
}

void RadioGroup::release(PixelPoint point) {
    const std::int32_t item = itemAt(point);
    const bool clicked = item >= 0 && item == pressedItem;
    pressedItem = -1;
    if (!clicked || item == selected) return;
    selected = item;
    raiseChange();
}

void RadioGroup::paint(RasterCanvas& canvas) const {
    for (std::int32_t i = 0; i < itemCount(); ++i) {
        const ControlRect box = itemBox(i);
        drawRadioBox(canvas, box.left, box.top, i == selected);
    }
}
