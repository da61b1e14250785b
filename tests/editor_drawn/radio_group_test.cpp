// The radio group: items where the layout's rule puts them, and a click that selects.
#include "editor/drawn/radio_group.h"

#include <gtest/gtest.h>

#include "editor/parameter_binding.h"

namespace {

struct Group {
    Group() : group({216, 24, 73, 81}, radioItems(Wave), 0, 14) {
        group.OnChange = [this] { ++changes; };
    }
    PixelPoint inside(std::int32_t item) const {
        const ControlRect r = group.itemRect(item);
        return {r.left + 20, r.top + r.height / 2};
    }
    RadioGroup group;
    int changes = 0;
};

TEST(RadioGroupGeometry, SharesTheHeightBelowTheCaption) {
    Group g;
    ASSERT_EQ(g.group.itemCount(), 4);
    EXPECT_EQ(g.group.itemRect(0), (ControlRect{224, 40, 63, 15}));
    EXPECT_EQ(g.group.itemRect(3), (ControlRect{224, 85, 63, 15}));
    EXPECT_EQ(g.group.itemBox(2), (ControlRect{224, 71, 12, 12}));
    EXPECT_STREQ(g.group.itemText(2), "Sqr");
    EXPECT_EQ(g.group.itemAt({230, 39}), -1);
    EXPECT_EQ(g.group.itemAt({230, 40}), 0);
    EXPECT_EQ(g.group.itemAt({287, 50}), -1);
}

TEST(RadioGroupClick, SelectsAnotherItemWithOneEvent) {
    Group g;
    ASSERT_TRUE(g.group.press(g.inside(2)));
    EXPECT_EQ(g.changes, 0); // a click is complete on the release
    g.group.release(g.inside(2));
    EXPECT_EQ(g.group.position(), 2);
    EXPECT_EQ(g.changes, 1);
}

TEST(RadioGroupClick, OnTheSelectedItemOrAcrossItemsDoesNothing) {
    Group g;
    g.group.press(g.inside(0));
    g.group.release(g.inside(0));
    g.group.press(g.inside(1));
    g.group.release(g.inside(3));
    EXPECT_FALSE(g.group.press({216, 24})); // the caption
    g.group.release(g.inside(1));
    EXPECT_EQ(g.group.position(), 0);
    EXPECT_EQ(g.changes, 0);
}

TEST(RadioGroup, SetPositionKeepsWithinTheItemsAndAlwaysRaises) {
    Group g;
    g.group.setPosition(9);
    EXPECT_EQ(g.group.position(), 3);
    g.group.setPosition(-1);
    EXPECT_EQ(g.group.position(), 0);
    EXPECT_EQ(g.changes, 2);
}

TEST(RadioGroupPaint, ChecksOnlyTheSelectedBox) {
    Group g;
    g.group.setPosition(1);
    RasterCanvas canvas(300, 120, 0xF0F0F0);
    g.group.paint(canvas);
    for (std::int32_t i = 0; i < 4; ++i) {
        const ControlRect box = g.group.itemBox(i);
        EXPECT_EQ(canvas.pixel(box.left + 5, box.top + 5), i == 1 ? 0x000000u : 0xFFFFFFu) << i;
        EXPECT_EQ(canvas.pixel(box.left, box.top + 5), 0xA0A0A0u) << i; // the shadowed rim
    }
}

} // namespace
