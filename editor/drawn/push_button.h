// A push button that a drawn backend paints itself, with the behaviour of a Windows button: it
// shows pushed while the press that took it stays on it, and a release on it clicks. Its face
// carries a small black arrow pointing left or right, or nothing: a caption is one of the
// scene's texts. Coordinates are the form's pixels.
#pragma once

#include <cstdint>
#include <functional>

#include "editor/drawn/raster_canvas.h"
#include "editor/form_layout.h"

class PushButton {
  public:
    enum class Arrow : std::uint8_t { Left, Right, Plain };

    PushButton(ControlRect bounds, Arrow arrow);

    // [ui thread] Mouse, left button. press answers whether the point is on the button.
    bool press(PixelPoint point);
    void move(PixelPoint point);
    void release(PixelPoint point);

    ControlRect bounds() const { return area; }
    bool pushed() const { return held && over; }

    void paint(RasterCanvas& canvas) const;

    // Raised by a release on the button after a press on it; may be unset.
    std::function<void()> OnClick;

  private:
    bool contains(PixelPoint point) const;

    ControlRect area;
    Arrow arrow;
    bool held = false; // the press took the button and awaits its release
    bool over = false; // the pointer is on the button meanwhile
};
