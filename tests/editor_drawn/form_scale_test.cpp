// The whole factors a drawn form takes from a host, a user or a screen's density, and the way
// back from window pixels to the form's.
#include "editor/drawn/form_scale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FormScale, IsTheNearestWholeFactorFromOneToThree) {
    const struct {
        double factor;
        std::int32_t whole;
    } cases[] = {{1.0, 1}, {1.49, 1}, {1.5, 2}, {2.0, 2}, {2.4, 2}, {2.5, 3},
                 {3.0, 3}, {8.0, 3},  {0.5, 1}, {0.0, 1}, {-2.0, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(wholeFormScale(c.factor), c.whole) << c.factor;
    EXPECT_EQ(wholeFormScale(std::numeric_limits<double>::quiet_NaN()), 1);
    EXPECT_EQ(wholeFormScale(std::numeric_limits<double>::infinity()), 1);

    // 96 dpi is the layout's own; 150 % (144 dpi) and more take the next factor.
    EXPECT_EQ(formScaleForDpi(96.0), 1);
    EXPECT_EQ(formScaleForDpi(120.0), 1);
    EXPECT_EQ(formScaleForDpi(144.0), 2);
    EXPECT_EQ(formScaleForDpi(192.0), 2);
    EXPECT_EQ(formScaleForDpi(288.0), 3);
    EXPECT_EQ(formScaleForDpi(0.0), 1);
}

TEST(FormScale, TakesAWindowPixelToTheFormPixelHoldingIt) {
    EXPECT_EQ(toFormPixels({5, 6}, 1), (PixelPoint{5, 6}));
    EXPECT_EQ(toFormPixels({5, 6}, 2), (PixelPoint{2, 3}));
    EXPECT_EQ(toFormPixels({8, 2}, 3), (PixelPoint{2, 0}));
    // Left of and above the form, as a grabbed pointer may be.
    EXPECT_EQ(toFormPixels({-1, -3}, 2), (PixelPoint{-1, -2}));
    EXPECT_EQ(toFormPixels({-4, -5}, 3), (PixelPoint{-2, -2}));
}

} // namespace
