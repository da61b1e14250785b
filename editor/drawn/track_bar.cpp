#include "editor/drawn/track_bar.h"
#include "editor/drawn/hit_test.h"

#include <algorithm>

#include "core/round_half_even.h"
#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"

namespace {

// Within the slider's own rectangle, as the Windows trackbar lays out 33 x 113 pixels with
// ticks on both sides and a thumb 15 pixels long.
constexpr std::int32_t kChannelLeft = 15;
constexpr std::int32_t kChannelWidth = 4;
constexpr std::int32_t kChannelInset = 6; // above and below the channel
constexpr std::int32_t kTravelInset = 3;  // from a channel end to the thumb's farthest centre
constexpr std::int32_t kThumbLeft = 10;
constexpr std::int32_t kThumbLength = 15;    // across the channel
constexpr std::int32_t kThumbHalfHeight = 4; // along the channel
constexpr std::int32_t kLeftTickEnd = 9;     // ticks end just left of here
constexpr std::int32_t kRightTickStart = 27;
constexpr std::int32_t kTickLength = 3; // the end ticks are one pixel longer

} // namespace

TrackBar::TrackBar(ControlRect bounds, std::int32_t steps, std::int32_t position,
                   std::int32_t tickFrequency)
    : area(bounds), steps(std::max(steps, 1)), current(std::clamp(position, 0, steps)),
      frequency(std::max(tickFrequency, 1)) {}

void TrackBar::setPosition(std::int32_t value) {
    current = std::clamp(value, 0, steps);
    raiseChange();
}

bool TrackBar::moveTo(std::int32_t value) {
    value = std::clamp(value, 0, steps);
    if (value == current) return false;
    current = value;
    return true;
}

ControlRect TrackBar::channel() const {
    return {area.left + kChannelLeft, area.top + kChannelInset, kChannelWidth,
            area.height - 2 * kChannelInset};
}

std::int32_t TrackBar::positionY(std::int32_t position) const {
    const ControlRect c = channel();
    const std::int32_t first = c.top + kTravelInset;
    const std::int32_t travel = c.height - 2 * kTravelInset - 1;
    return first + position * travel / steps;
}

ControlRect TrackBar::thumb() const {
    return {area.left + kThumbLeft, positionY(current) - kThumbHalfHeight, kThumbLength,
            2 * kThumbHalfHeight};
}

std::vector<std::int32_t> TrackBar::tickPositions() const {
    std::vector<std::int32_t> ticks;
    for (std::int32_t n = 0; n < steps; n += frequency)
        ticks.push_back(n);
    ticks.push_back(steps);
    return ticks;
}

bool TrackBar::press(PixelPoint point) {
    if (!rectContains(area, point)) return false;
    pressed = true;
    const ControlRect t = thumb();
    if (rectContains(t, point)) {
        dragging = true;
        grabOffset = point.y - positionY(current);
        return true;
    }
    // A page step towards the pointer (page up above the thumb).
    if (moveTo(current + (point.y < t.top ? -kPageSize : kPageSize))) raiseChange();
    return true;
}

void TrackBar::move(PixelPoint point) {
    if (!dragging) return;
    const std::int32_t first = positionY(0);
    const std::int32_t travel = positionY(steps) - first;
    const double along = static_cast<double>(point.y - grabOffset - first) * steps / travel;
    if (moveTo(roundToInt(along))) raiseChange();
}

void TrackBar::release() {
    if (!pressed) return;
    if (dragging) raiseChange(); // the thumb's final position
    raiseChange();               // the end of the track
    pressed = false;
    dragging = false;
}

void TrackBar::paint(RasterCanvas& canvas) const {
    drawEdge(canvas, channel(), EdgeKind::Sunken);
    for (std::int32_t n : tickPositions()) {
        const std::int32_t y = positionY(n);
        const std::int32_t extra = (n == 0 || n == steps) ? 1 : 0;
        canvas.fillRect(area.left + kLeftTickEnd - kTickLength - extra, y, kTickLength + extra, 1,
                        kBlack);
        canvas.fillRect(area.left + kRightTickStart, y, kTickLength + extra, 1, kBlack);
    }
    const ControlRect t = thumb();
    canvas.fillRect(t.left, t.top, t.width, t.height, kButtonFace);
    drawEdge(canvas, t, EdgeKind::Raised);
}
