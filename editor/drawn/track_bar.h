// A vertical slider that a drawn backend paints itself, with the behaviour of the Windows trackbar:
// a drag of the thumb follows the pointer, a press on the channel steps by the page size of 1
// towards the pointer, and the change event comes when the Windows control would notify its
// form (each new position during a drag, then twice on release: thumb position and end of
// track; a page step, then the end of track on release). Coordinates are the form's pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/drawn/raster_canvas.h"
#include "editor/form_control.h"
#include "editor/form_layout.h"

class TrackBar : public FormControl {
  public:
    static constexpr std::int32_t kPageSize = 1;

    TrackBar(ControlRect bounds, std::int32_t steps, std::int32_t position,
             std::int32_t tickFrequency);

    std::int32_t position() const override { return current; }
    void setPosition(std::int32_t value) override; // kept within 0..steps

    // [ui thread] Mouse, left button. press answers whether the point is on the slider.
    bool press(PixelPoint point);
    void move(PixelPoint point);
    void release();
    bool tracking() const { return dragging; }

    ControlRect bounds() const { return area; }
    ControlRect channel() const;
    ControlRect thumb() const;
    // Vertical centre of the thumb at `position`, and where the ticks go.
    std::int32_t positionY(std::int32_t position) const;
    std::vector<std::int32_t> tickPositions() const;
    std::int32_t tickFrequency() const { return frequency; }

    void paint(RasterCanvas& canvas) const;

  private:
    bool moveTo(std::int32_t value); // true when the position changed

    ControlRect area;
    std::int32_t steps;
    std::int32_t current;
    std::int32_t frequency;
    bool pressed = false;        // a press on the slider awaits its release
    bool dragging = false;       // the press took the thumb
    std::int32_t grabOffset = 0; // pointer y minus thumb centre at the press
};
