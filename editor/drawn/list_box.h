// The program chooser's list as a drawn backend paints it, with the behaviour of a Windows list
// box of several columns: the items fill a column from the top, then the next; a press on an item
// other than the selected one selects it and raises the change event at once. The names are the
// scene's to write; the box paints its white field, its edge and the selection's highlight.
// Coordinates are the form's pixels.
#pragma once

#include <cstdint>

#include "editor/drawn/raster_canvas.h"
#include "editor/form_control.h"
#include "editor/form_layout.h"

class ListBox : public FormControl {
  public:
    ListBox(ControlRect bounds, std::int32_t columns, std::int32_t rows, std::int32_t itemHeight,
            std::int32_t selected);

    std::int32_t position() const override { return selected; }
    void setPosition(std::int32_t value) override; // kept within the items

    // [ui thread] Mouse, left button: answers whether the point is on the box.
    bool press(PixelPoint point);

    ControlRect bounds() const { return area; }
    std::int32_t itemCount() const { return columns * rows; }
    ControlRect itemRect(std::int32_t index) const; // inside the edge
    std::int32_t itemAt(PixelPoint point) const;    // -1 when on none

    void paint(RasterCanvas& canvas) const;

  private:
    ControlRect area;
    std::int32_t columns;
    std::int32_t rows;
    std::int32_t itemHeight;
    std::int32_t selected;
};
