// The canvas's raster rules: a line's end pixel is left out and exact ties go to the smaller
// coordinate, as the Windows form's own knob shows; an ellipse's box excludes its right and
// bottom edges; an arc takes the outline from its start ray up to, not including, its end ray.
#include "editor/drawn/raster_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

constexpr Rgb kBack = 0x111111;
constexpr Rgb kPen = 0xABCDEF;
constexpr Rgb kBrush = 0x123456;

std::vector<PixelPoint> lit(const RasterCanvas& canvas, Rgb colour) {
    std::vector<PixelPoint> points;
    for (std::int32_t y = 0; y < canvas.height(); ++y)
        for (std::int32_t x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) == colour) points.push_back({x, y});
    return points;
}

std::vector<PixelPoint> lineOf(PixelPoint from, PixelPoint to) {
    RasterCanvas canvas(40, 40, kBack);
    canvas.line(from, to, kPen);
    std::vector<PixelPoint> points = lit(canvas, kPen);
    // In the order of travel along the longer axis.
    const bool xMajor = std::abs(to.x - from.x) >= std::abs(to.y - from.y);
    std::sort(points.begin(), points.end(), [&](PixelPoint a, PixelPoint b) {
        return xMajor ? std::abs(a.x - from.x) < std::abs(b.x - from.x)
                      : std::abs(a.y - from.y) < std::abs(b.y - from.y);
    });
    return points;
}

TEST(RasterCanvasLine, LeavesOutTheEndPixel) {
    EXPECT_EQ(lineOf({3, 5}, {8, 5}),
              (std::vector<PixelPoint>{{3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}));
    EXPECT_EQ(lineOf({8, 5}, {8, 2}), (std::vector<PixelPoint>{{8, 5}, {8, 4}, {8, 3}}));
    EXPECT_EQ(lineOf({2, 2}, {5, 5}), (std::vector<PixelPoint>{{2, 2}, {3, 3}, {4, 4}}));
}

TEST(RasterCanvasLine, OfNoLengthDrawsNothing) {
    EXPECT_TRUE(lineOf({7, 7}, {7, 7}).empty());
}

TEST(RasterCanvasLine, PicksTheNearestPixelWithTiesToTheSmallerCoordinate) {
    // The knob's pointer at position 0 on 33 x 33, as the Windows form draws it: 13.5 and 8.5
    // go to 13 and 8.
    EXPECT_EQ(lineOf({16, 16}, {6, 28}), (std::vector<PixelPoint>{{16, 16},
                                                                  {15, 17},
                                                                  {14, 18},
                                                                  {13, 19},
                                                                  {13, 20},
                                                                  {12, 21},
                                                                  {11, 22},
                                                                  {10, 23},
                                                                  {9, 24},
                                                                  {8, 25},
                                                                  {8, 26},
                                                                  {7, 27}}));
    // The top scale mark: 15.5 goes to 15.
    EXPECT_EQ(lineOf({15, 2}, {16, 0}), (std::vector<PixelPoint>{{15, 2}, {15, 1}}));
    // The same rule on the other axis: y 10.5 goes to 10.
    EXPECT_EQ(lineOf({0, 10}, {2, 11}), (std::vector<PixelPoint>{{0, 10}, {1, 10}}));
}

TEST(RasterCanvasLine, IsClippedToTheCanvas) {
    RasterCanvas canvas(10, 10, kBack);
    canvas.line({-5, -5}, {30, 30}, kPen);
    EXPECT_EQ(lit(canvas, kPen).size(), 10u);
    canvas.line({-20, 3}, {-2, 3}, kBrush);
    EXPECT_TRUE(lit(canvas, kBrush).empty());
}

TEST(RasterCanvasEllipse, DrawsTheKnobsDiscAsTheWindowsFormDoes) {
    RasterCanvas canvas(33, 33, kBack);
    canvas.ellipse({2, 2}, {29, 29}, kPen, kBrush);
    // Rows of the outline, left half (the right half mirrors it about x = 15).
    const std::vector<std::vector<std::int32_t>> leftOutline = {
        {12, 13, 14, 15}, {9, 10, 11}, {8}, {7}, {6}, {5}, {4}, {3}, {3}, {3}, {2}};
    for (std::size_t i = 0; i < leftOutline.size(); ++i) {
        const std::int32_t y = 2 + static_cast<std::int32_t>(i);
        std::vector<std::int32_t> found;
        for (std::int32_t x = 0; x <= 15; ++x)
            if (canvas.pixel(x, y) == kPen) found.push_back(x);
        EXPECT_EQ(found, leftOutline[i]) << "row " << y;
    }
    for (std::int32_t y = 0; y <= 30; ++y)
        for (std::int32_t x = 0; x <= 30; ++x) {
            EXPECT_EQ(canvas.pixel(x, y), canvas.pixel(30 - x, y)) << x << "," << y;
            EXPECT_EQ(canvas.pixel(x, y), canvas.pixel(x, 30 - y)) << x << "," << y;
        }
    EXPECT_EQ(canvas.pixel(15, 15), kBrush);
    EXPECT_EQ(canvas.pixel(2, 15), kPen);
    EXPECT_EQ(canvas.pixel(28, 15), kPen); // the box's right edge, 29, stays out
    EXPECT_EQ(canvas.pixel(29, 15), kBack);
    EXPECT_EQ(canvas.pixel(15, 29), kBack);
    EXPECT_EQ(canvas.pixel(3, 3), kBack); // outside the curve
}

TEST(RasterCanvasEllipse, OfAnEmptyBoxDrawsNothing) {
    RasterCanvas canvas(10, 10, kBack);
    canvas.ellipse({5, 5}, {5, 9}, kPen, kBrush);
    canvas.ellipse({6, 6}, {2, 2}, kPen, kBrush);
    EXPECT_TRUE(lit(canvas, kPen).empty());
    EXPECT_TRUE(lit(canvas, kBrush).empty());
}

TEST(RasterCanvasArc, TwoHalvesMeetingOnTheirRaysMakeTheWholeOutlineOnce) {
    const PixelPoint from{4, 4}, to{27, 27};
    const PixelPoint upperRight{24, 6}, lowerLeft{6, 24};
    RasterCanvas first(33, 33, kBack), second(33, 33, kBack);
    first.arc(from, to, upperRight, lowerLeft, kPen);
    second.arc(from, to, lowerLeft, upperRight, kPen);
    const std::vector<PixelPoint> outline = ellipseOutline(from, to);
    std::set<std::pair<int, int>> upper, lower;
    for (PixelPoint p : lit(first, kPen))
        upper.insert({p.x, p.y});
    for (PixelPoint p : lit(second, kPen))
        lower.insert({p.x, p.y});
    EXPECT_EQ(upper.size() + lower.size(), outline.size());
    for (PixelPoint p : outline)
        EXPECT_NE(upper.count({p.x, p.y}), lower.count({p.x, p.y})) << p.x << "," << p.y;
    // Counter-clockwise from the upper right: the top and the left; the rest below.
    EXPECT_EQ(upper.count({15, 4}), 1u);
    EXPECT_EQ(upper.count({4, 15}), 1u);
    EXPECT_EQ(lower.count({15, 26}), 1u);
    EXPECT_EQ(lower.count({26, 15}), 1u);
    // The pixel on the 45-degree ray up and right starts the upper half; the one on the ray
    // down and left starts the lower.
    EXPECT_EQ(upper.count({23, 7}), 1u);
    EXPECT_EQ(lower.count({7, 23}), 1u);
}

TEST(RasterCanvasArc, WithCoincidingRaysIsTheWholeOutline) {
    RasterCanvas canvas(20, 20, kBack);
    canvas.arc({2, 2}, {17, 17}, {15, 5}, {15, 5}, kPen);
    EXPECT_EQ(lit(canvas, kPen).size(), ellipseOutline({2, 2}, {17, 17}).size());
}

TEST(RasterCanvas, FillsAndBlitsWithinItsBounds) {
    RasterCanvas canvas(6, 4, kBack);
    canvas.fillRect(-2, 1, 4, 10, kPen);
    EXPECT_EQ(lit(canvas, kPen).size(), 6u); // columns 0 and 1, rows 1 to 3
    const std::vector<Rgb> block = {1, 2, 3, 4};
    canvas.blit(5, 3, 2, 2, block);
    EXPECT_EQ(canvas.pixel(5, 3), 1u);
    EXPECT_EQ(canvas.pixel(4, 3), kBack);
    canvas.blit(0, 0, 3, 3, block); // too few pixels: nothing
    EXPECT_EQ(canvas.pixel(0, 0), kBack);
    EXPECT_EQ(canvas.pixel(-1, 0), 0u);
}

} // namespace
