// TTsumami: the rotary knob's behaviour, free of any windowing toolkit. A position 0..100 shown
// as a pointer that sweeps about 277 degrees, turned by dragging, reporting every position it is
// given. A backend window feeds it screen coordinates and draws its paint geometry.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "editor/form_control.h"
#include "editor/knob_paint.h"

class TTsumami : public FormControl {
  public:
    static constexpr std::int32_t kMaxPosition = 100;

    TTsumami();

    // [ui thread] Sets Position, clamped to 0..100 (the pointer tables end there), asks for a
    // repaint and raises OnChange, every time, even when the value is unchanged.
    void SetPosition(std::int32_t value);

    // [ui thread] Drag protocol, in screen coordinates (y grows downward). The position follows
    // the travel since the press: two pixels per step, right and up turn it up, both axes add.
    void beginDrag(KnobPoint screen);
    void dragTo(KnobPoint screen); // ignored unless Dragging
    void endDrag();                // leaves the position as it is

    // What to draw for the current position on a knob of `width` x `height` pixels.
    KnobPaint paintGeometry(std::int32_t width, std::int32_t height) const;

    std::int32_t position() const override { return Position; }
    void setPosition(std::int32_t value) override { SetPosition(value); }
    bool dragging() const override { return Dragging; }

    // Asked for by every SetPosition; the backend invalidates the knob's window (the paint comes
    // later). May be unset.
    std::function<void()> RequestRepaint;

    KnobPoint DragStartCursor{};        // screen position of the press
    KnobPoint DragCursor{};             // latest screen position during the drag
    std::int32_t DragStartPosition = 0; // Position at the press
    std::int32_t Position = 50;
    bool Dragging = false;
    // Pointer direction per position, in screen terms: position 50 points straight up and each
    // step turns the pointer clockwise by pi/65 radians. Exactly symmetric about 50.
    std::array<float, kMaxPosition + 1> PointerY{};
    std::array<float, kMaxPosition + 1> PointerX{};
};
