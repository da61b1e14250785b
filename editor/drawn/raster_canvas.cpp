#include "editor/drawn/raster_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "core/round_half_even.h"

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// The integer nearest to num / den (den > 0); an exact half goes down.
std::int32_t nearestTiesDown(std::int64_t num, std::int64_t den) {
    // ceil((2 num - den) / (2 den))
    return static_cast<std::int32_t>(-floorDiv(-(2 * num - den), 2 * den));
}

// A direction from the box's centre, doubled so that a centre between pixels stays integral,
// with y pointing up as angles are counted.
struct Direction {
    std::int64_t x;
    std::int64_t y;
};

Direction directionOf(PixelPoint p, PixelPoint boxFrom, PixelPoint boxTo) {
    const std::int64_t doubledCx = std::int64_t{boxFrom.x} + boxTo.x - 1;
    const std::int64_t doubledCy = std::int64_t{boxFrom.y} + boxTo.y - 1;
    return {2 * std::int64_t{p.x} - doubledCx, doubledCy - 2 * std::int64_t{p.y}};
}

std::int64_t cross(Direction a, Direction b) {
    return a.x * b.y - a.y * b.x;
}
std::int64_t dot(Direction a, Direction b) {
    return a.x * b.x + a.y * b.y;
}

// 0 when the counter-clockwise angle from `start` to `v` lies in [0, pi), 1 in [pi, 2 pi).
int halfTurn(Direction start, Direction v) {
    const std::int64_t c = cross(start, v);
    if (c > 0) return 0;
    if (c < 0) return 1;
    return dot(start, v) > 0 ? 0 : 1;
}

// Whether the counter-clockwise angle from `start` to `a` is smaller than that to `b`, exactly.
bool turnsLess(Direction start, Direction a, Direction b) {
    const int ha = halfTurn(start, a);
    const int hb = halfTurn(start, b);
    if (ha != hb) return ha < hb;
    return cross(a, b) > 0;
}

bool isZeroTurn(Direction start, Direction v) {
    return cross(start, v) == 0 && dot(start, v) > 0;
}

} // namespace

RasterCanvas::RasterCanvas(std::int32_t width, std::int32_t height, Rgb background)
    : canvasWidth(std::max(width, 0)), canvasHeight(std::max(height, 0)),
      data(static_cast<std::size_t>(canvasWidth) * static_cast<std::size_t>(canvasHeight),
           background) {}

Rgb RasterCanvas::pixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= canvasWidth || y >= canvasHeight) return 0;
    return data[static_cast<std::size_t>(y) * canvasWidth + x];
}

void RasterCanvas::setPixel(std::int32_t x, std::int32_t y, Rgb colour) {
    if (x < 0 || y < 0 || x >= canvasWidth || y >= canvasHeight) return;
    data[static_cast<std::size_t>(y) * canvasWidth + x] = colour;
}

void RasterCanvas::fillRect(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height, Rgb colour) {
    const std::int32_t x0 = std::max(left, 0);
    const std::int32_t y0 = std::max(top, 0);
    const std::int32_t x1 = std::min(left + width, canvasWidth);
    const std::int32_t y1 = std::min(top + height, canvasHeight);
    for (std::int32_t y = y0; y < y1; ++y)
        for (std::int32_t x = x0; x < x1; ++x)
            data[static_cast<std::size_t>(y) * canvasWidth + x] = colour;
}

void RasterCanvas::line(PixelPoint from, PixelPoint to, Rgb colour) {
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    if (std::llabs(dx) >= std::llabs(dy)) {
        const std::int64_t steps = std::llabs(dx);
        const std::int32_t sx = dx < 0 ? -1 : 1;
        for (std::int64_t i = 0; i < steps; ++i)
            setPixel(from.x + static_cast<std::int32_t>(i) * sx,
                     from.y + nearestTiesDown(i * dy, steps), colour);
    } else {
        const std::int64_t steps = std::llabs(dy);
        const std::int32_t sy = dy < 0 ? -1 : 1;
        for (std::int64_t i = 0; i < steps; ++i)
            setPixel(from.x + nearestTiesDown(i * dx, steps),
                     from.y + static_cast<std::int32_t>(i) * sy, colour);
    }
}

std::vector<PixelPoint> ellipseOutline(PixelPoint boxFrom, PixelPoint boxTo) {
    std::vector<PixelPoint> outline;
    if (boxTo.x <= boxFrom.x || boxTo.y <= boxFrom.y) return outline;
    const double cx = (boxFrom.x + boxTo.x - 1) * 0.5;
    const double cy = (boxFrom.y + boxTo.y - 1) * 0.5;
    const double rx = (boxTo.x - 1 - boxFrom.x) * 0.5;
    const double ry = (boxTo.y - 1 - boxFrom.y) * 0.5;
    std::set<std::pair<std::int32_t, std::int32_t>> seen; // (y, x): each pixel once
    auto add = [&](std::int32_t x, std::int32_t y) {
        if (seen.insert({y, x}).second) outline.push_back({x, y});
    };
    for (std::int32_t y = boxFrom.y; y < boxTo.y; ++y) {
        const double t = ry > 0 ? (y - cy) / ry : 0.0;
        const double reach = rx * std::sqrt(std::max(0.0, 1.0 - t * t));
        add(roundToInt(cx - reach), y);
        add(roundToInt(cx + reach), y);
    }
    for (std::int32_t x = boxFrom.x; x < boxTo.x; ++x) {
        const double t = rx > 0 ? (x - cx) / rx : 0.0;
        const double reach = ry * std::sqrt(std::max(0.0, 1.0 - t * t));
        add(x, roundToInt(cy - reach));
        add(x, roundToInt(cy + reach));
    }
    return outline;
}

void RasterCanvas::ellipse(PixelPoint boxFrom, PixelPoint boxTo, Rgb pen, Rgb brush) {
    const std::vector<PixelPoint> outline = ellipseOutline(boxFrom, boxTo);
    std::map<std::int32_t, std::pair<std::int32_t, std::int32_t>> rows; // y -> leftmost, rightmost
    for (PixelPoint p : outline) {
        auto [it, added] = rows.try_emplace(p.y, p.x, p.x);
        if (!added) {
            it->second.first = std::min(it->second.first, p.x);
            it->second.second = std::max(it->second.second, p.x);
        }
    }
    for (const auto& [y, span] : rows)
        fillRect(span.first, y, span.second - span.first + 1, 1, brush);
    for (PixelPoint p : outline)
        setPixel(p.x, p.y, pen);
}

void RasterCanvas::arc(PixelPoint boxFrom, PixelPoint boxTo, PixelPoint rayStart, PixelPoint rayEnd,
                       Rgb pen) {
    const Direction start = directionOf(rayStart, boxFrom, boxTo);
    const Direction end = directionOf(rayEnd, boxFrom, boxTo);
    const bool whole = isZeroTurn(start, end);
    for (PixelPoint p : ellipseOutline(boxFrom, boxTo)) {
        const Direction v = directionOf(p, boxFrom, boxTo);
        if (v.x == 0 && v.y == 0) continue;
        if (whole || turnsLess(start, v, end)) setPixel(p.x, p.y, pen);
    }
}

void RasterCanvas::blit(std::int32_t left, std::int32_t top, std::int32_t width,
                        std::int32_t height, std::span<const Rgb> source) {
    if (width <= 0 || height <= 0 ||
        source.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            setPixel(left + x, top + y, source[static_cast<std::size_t>(y) * width + x]);
}

RasterCanvas RasterCanvas::magnified(std::int32_t factor) const {
    factor = std::max(factor, 1);
    RasterCanvas large(canvasWidth * factor, canvasHeight * factor, 0);
    for (std::int32_t y = 0; y < large.canvasHeight; ++y)
        for (std::int32_t x = 0; x < large.canvasWidth; ++x)
            large.data[static_cast<std::size_t>(y) * large.canvasWidth + x] =
                data[static_cast<std::size_t>(y / factor) * canvasWidth + x / factor];
    return large;
}
