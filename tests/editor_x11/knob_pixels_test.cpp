// The knobs as the X server shows them, read back with XGetImage, at positions 0, 50 and 100 in
// both sizes, against their paint geometry: every pointer and scale-mark pixel where a line
// from its start up to its end (left out) puts it, the disc and ring where their boxes say, and
// nothing else drawn.
#include "tests/editor_x11/x_display_fixture.h" // first: gtest before Xlib

#include <cmath>
#include <map>
#include <utility>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"

namespace {

struct KnobCase {
    std::int32_t parameter;
    std::int32_t left, top, size; // on the form
    std::int32_t position;
};

// Pixels of a one-pixel line by the Windows rule, computed here on its own: along the longer
// axis from the start, the end left out, the nearest pixel with a tie to the smaller coordinate.
std::vector<std::pair<int, int>> linePixels(KnobPoint from, KnobPoint to) {
    std::vector<std::pair<int, int>> pixels;
    const int dx = to.x - from.x, dy = to.y - from.y;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int steps = xMajor ? std::abs(dx) : std::abs(dy);
    for (int i = 0; i < steps; ++i) {
        const double along = static_cast<double>(i) / steps;
        const double x = from.x + dx * along, y = from.y + dy * along;
        pixels.push_back({static_cast<int>(std::ceil(x - 0.5 - 1e-9)),
                          static_cast<int>(std::ceil(y - 0.5 - 1e-9))});
    }
    return pixels;
}

class KnobPixels : public XDisplayTest, public testing::WithParamInterface<KnobCase> {};

TEST_P(KnobPixels, ShowTheirPaintGeometry) {
    const KnobCase c = GetParam();
    ASSERT_EQ(openEditor(), 1);
    synth->setParameter(c.parameter, static_cast<float>(c.position) / 100.0f);
    idle(8, 20); // past the first timer tick
    TTsumami* knob = editor().getForm()->knobFor(c.parameter);
    ASSERT_EQ(knob->Position, c.position);

    const RasterCanvas shown = readBack(c.left, c.top, c.size, c.size);
    const KnobPaint paint = knob->paintGeometry(c.size, c.size);

    // The lines, later over earlier.
    std::map<std::pair<int, int>, Rgb> lines;
    for (const auto* group : {&paint.pointer, &paint.marks})
        for (const KnobLine& line : *group)
            for (const auto& p : linePixels(line.from, line.to))
                if (p.first >= 0 && p.second >= 0 && p.first < c.size && p.second < c.size)
                    lines[p] = penColour(line.pen);
    for (const auto& [p, colour] : lines)
        EXPECT_EQ(shown.pixel(p.first, p.second), colour) << p.first << "," << p.second;
    auto unlined = [&](int x, int y) { return lines.count({x, y}) == 0; };

    // The disc's outline touches its box on all four sides; the ring is lit on the upper left
    // and shaded on the lower right.
    const int cx = (paint.discFrom.x + paint.discTo.x - 1) / 2;
    const int cy = (paint.discFrom.y + paint.discTo.y - 1) / 2;
    const std::pair<int, int> discEdges[] = {{paint.discFrom.x, cy},
                                             {paint.discTo.x - 1, cy},
                                             {cx, paint.discFrom.y},
                                             {cx, paint.discTo.y - 1}};
    for (const auto& [x, y] : discEdges)
        if (unlined(x, y)) {
            EXPECT_EQ(shown.pixel(x, y), kBlack) << x << "," << y;
        }
    const KnobArc& ring = paint.rings[0];
    const std::pair<std::pair<int, int>, Rgb> ringEdges[] = {
        {{ring.boxFrom.x, cy}, kButtonHighlight},
        {{cx, ring.boxFrom.y}, kButtonHighlight},
        {{ring.boxTo.x - 1, cy}, kButtonShadow},
        {{cx, ring.boxTo.y - 1}, kButtonShadow}};
    for (const auto& [p, colour] : ringEdges)
        if (unlined(p.first, p.second)) {
            EXPECT_EQ(shown.pixel(p.first, p.second), colour) << p.first << "," << p.second;
        }

    // Outside the disc's box and off the lines, only the button face.
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x) {
            const bool inBox = x >= paint.discFrom.x && x < paint.discTo.x &&
                               y >= paint.discFrom.y && y < paint.discTo.y;
            if (!inBox && unlined(x, y)) {
                EXPECT_EQ(shown.pixel(x, y), kButtonFace) << x << "," << y;
            }
        }

    // And the server shows exactly the canvas's drawing, pixel for pixel.
    const RasterCanvas drawn = knobImage(c.size, c.size, paint);
    int differing = 0;
    for (int y = 0; y < c.size; ++y)
        for (int x = 0; x < c.size; ++x)
            differing += shown.pixel(x, y) != drawn.pixel(x, y);
    EXPECT_EQ(differing, 0);
    dispatch(effEditClose);
}

std::string caseName(const testing::TestParamInfo<KnobCase>& info) {
    return "Size" + std::to_string(info.param.size) + "At" + std::to_string(info.param.position);
}

// Tsumami3 (CutOff, 33 x 33) and Tsumami1 (Smooth, 25 x 25) at their places on the form.
INSTANTIATE_TEST_SUITE_P(
    BothSizes, KnobPixels,
    testing::Values(KnobCase{CutOff, 120, 200, 33, 0}, KnobCase{CutOff, 120, 200, 33, 50},
                    KnobCase{CutOff, 120, 200, 33, 100}, KnobCase{Smooth, 232, 112, 25, 0},
                    KnobCase{Smooth, 232, 112, 25, 50}, KnobCase{Smooth, 232, 112, 25, 100}),
    caseName);

TEST_F(XDisplayTest, APointerAtFiftyOnTheLargeKnobRunsStraightUp) {
    ASSERT_EQ(openEditor(), 1);
    idle(8, 20);
    const RasterCanvas shown = readBack(120, 200, 33, 33);
    for (int y = 1; y <= 16; ++y)
        EXPECT_EQ(shown.pixel(16, y), kButtonShadow) << y; // line 1 from (16, 16) to (16, 0)
    EXPECT_EQ(shown.pixel(16, 0), kButtonFace);
    EXPECT_EQ(shown.pixel(15, 2), kBlack); // the top scale mark from (15, 2)
    EXPECT_EQ(shown.pixel(15, 1), kBlack);
    dispatch(effEditClose);
}

} // namespace
