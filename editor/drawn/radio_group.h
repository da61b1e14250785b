// A radio group that a drawn backend paints itself, with the behaviour of the Windows form's group
// of radio buttons: a click (press and release on the same item) on an item other than the
// selected one selects it and raises the change event. Coordinates are the form's pixels.
#pragma once

#include <cstdint>
#include <span>

#include "editor/drawn/raster_canvas.h"
#include "editor/form_control.h"
#include "editor/form_layout.h"

class RadioGroup : public FormControl {
  public:
    // `textHeight` is the font's text cell, by which the items share the group's height.
    RadioGroup(ControlRect bounds, std::span<const char* const> items, std::int32_t selected,
               std::int32_t textHeight);

    std::int32_t position() const override { return selected; }
    void setPosition(std::int32_t value) override; // kept within the items

    // [ui thread] Mouse, left button. press answers whether the point is on an item.
    bool press(PixelPoint point);
    void release(PixelPoint point);

    ControlRect bounds() const { return area; }
    std::int32_t itemCount() const { return static_cast<std::int32_t>(items.size()); }
    const char* itemText(std::int32_t index) const { return items[index]; }
    ControlRect itemRect(std::int32_t index) const; // the item's button, in form pixels
    ControlRect itemBox(std::int32_t index) const;  // its round box
    std::int32_t itemAt(PixelPoint point) const;    // -1 when on none

    void paint(RasterCanvas& canvas) const; // the round boxes; the frame is a group box's

  private:
    ControlRect area;
    std::span<const char* const> items;
    std::int32_t selected;
    std::int32_t textHeight;
    std::int32_t pressedItem = -1;
};
