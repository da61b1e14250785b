// The slider: its geometry is that of the Windows form's 33 x 113 trackbar, a drag of the thumb
// follows the pointer, a press on the channel pages by one, and change events come when the
// Windows control notifies its form.
#include "editor/drawn/track_bar.h"

#include <gtest/gtest.h>

namespace {

struct Slider {
    explicit Slider(std::int32_t steps, std::int32_t position, std::int32_t ticks)
        : bar({100, 50, 33, 113}, steps, position, ticks) {
        bar.OnChange = [this] { ++changes; };
    }
    // Pixel row of position n on the form.
    std::int32_t rowOf(std::int32_t n) const { return bar.positionY(n); }
    TrackBar bar;
    int changes = 0;
};

TEST(TrackBarGeometry, PutsTicksAndThumbWhereTheWindowsTrackbarDoes) {
    Slider envelope(50, 45, 5);
    std::vector<std::int32_t> rows;
    for (std::int32_t n : envelope.bar.tickPositions())
        rows.push_back(envelope.rowOf(n) - 50);
    EXPECT_EQ(rows, (std::vector<std::int32_t>{9, 18, 27, 37, 46, 56, 65, 74, 84, 93, 103}));
    EXPECT_EQ(envelope.bar.channel(), (ControlRect{115, 56, 4, 101}));
    EXPECT_EQ(envelope.bar.thumb(), (ControlRect{110, 50 + 93 - 4, 15, 8}));

    Slider drawbar(10, 5, 1);
    EXPECT_EQ(drawbar.bar.tickPositions().size(), 11u);
    EXPECT_EQ(drawbar.rowOf(5) - 50, 9 + 47);
}

TEST(TrackBarDrag, FollowsThePointerWithOneEventPerNewPosition) {
    Slider s(50, 45, 5);
    const ControlRect thumb = s.bar.thumb();
    const std::int32_t x = thumb.left + 5;
    const std::int32_t grab = s.rowOf(45) + 2; // two pixels below the thumb's centre
    ASSERT_TRUE(s.bar.press({x, grab}));
    EXPECT_TRUE(s.bar.tracking());
    EXPECT_EQ(s.changes, 0);
    s.bar.move({x, s.rowOf(40) + 2});
    EXPECT_EQ(s.bar.position(), 40);
    EXPECT_EQ(s.changes, 1);
    s.bar.move({x, s.rowOf(40) + 2}); // no new position, no event
    EXPECT_EQ(s.changes, 1);
    s.bar.move({x + 200, -500}); // far above and aside: the top
    EXPECT_EQ(s.bar.position(), 0);
    EXPECT_EQ(s.changes, 2);
    s.bar.move({x, 5000});
    EXPECT_EQ(s.bar.position(), 50);
    s.bar.release(); // thumb position and end of track
    EXPECT_EQ(s.changes, 5);
    EXPECT_FALSE(s.bar.tracking());
    s.bar.move({x, s.rowOf(10)}); // after the release, moves do nothing
    EXPECT_EQ(s.bar.position(), 50);
}

TEST(TrackBarPage, APressOnTheChannelStepsByOneTowardsThePointer) {
    Slider s(10, 5, 1);
    const std::int32_t x = s.bar.channel().left;
    ASSERT_TRUE(s.bar.press({x, s.rowOf(1)}));
    EXPECT_EQ(s.bar.position(), 4);
    EXPECT_EQ(s.changes, 1);
    EXPECT_FALSE(s.bar.tracking());
    s.bar.move({x, s.rowOf(0)}); // a page press does not drag
    EXPECT_EQ(s.bar.position(), 4);
    s.bar.release();
    EXPECT_EQ(s.changes, 2); // end of track
    ASSERT_TRUE(s.bar.press({x, s.rowOf(10) + 2}));
    EXPECT_EQ(s.bar.position(), 5);
    s.bar.release();
    EXPECT_EQ(s.changes, 4);
}

TEST(TrackBarPage, AtTheEndOnlyTheEndOfTrackIsReported) {
    Slider s(10, 0, 1);
    ASSERT_TRUE(s.bar.press({s.bar.channel().left, s.rowOf(0) - 6}));
    EXPECT_EQ(s.bar.position(), 0);
    EXPECT_EQ(s.changes, 0);
    s.bar.release();
    EXPECT_EQ(s.changes, 1);
}

TEST(TrackBar, IgnoresPressesOutsideAndSetsPositionsWithinItsRange) {
    Slider s(10, 5, 1);
    EXPECT_FALSE(s.bar.press({99, 100}));
    EXPECT_FALSE(s.bar.press({120, 163}));
    s.bar.release();
    EXPECT_EQ(s.changes, 0);
    s.bar.setPosition(14);
    EXPECT_EQ(s.bar.position(), 10);
    s.bar.setPosition(-3);
    EXPECT_EQ(s.bar.position(), 0);
    s.bar.setPosition(0); // unchanged, still an event, as a move from code always is
    EXPECT_EQ(s.changes, 3);
}

TEST(TrackBarPaint, DrawsTheThumbAtItsPosition) {
    for (std::int32_t n : {0, 7, 10}) {
        TrackBar bar({0, 0, 33, 113}, 10, n, 1);
        RasterCanvas canvas(33, 113, 0xF0F0F0);
        bar.paint(canvas);
        const ControlRect thumb = bar.thumb();
        EXPECT_EQ(canvas.pixel(thumb.left, thumb.top), 0xFFFFFFu) << n; // raised: lit corner
        EXPECT_EQ(canvas.pixel(thumb.left + thumb.width - 1, thumb.top + thumb.height - 1),
                  0x696969u)
            << n;
        EXPECT_EQ(canvas.pixel(thumb.left + 7, thumb.top + 3), 0xF0F0F0u) << n;
        // A tick at every step on both sides, level with the thumb's centre.
        EXPECT_EQ(canvas.pixel(7, bar.positionY(n)), 0x000000u) << n;
        EXPECT_EQ(canvas.pixel(28, bar.positionY(n)), 0x000000u) << n;
    }
}

} // namespace
