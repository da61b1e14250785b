// The knob as the canvas draws it, pixel for pixel against the Windows form's own knobs (the
// Windows build's screenshot: '.' button face, '#' black, 'o' highlight, 's' shadow), and the
// round box of a radio button.
#include "editor/drawn/classic_look.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>

#include "editor/drawn/system_colours.h"
#include "editor/tsumami.h"

namespace {

// clang-format off
constexpr std::array<const char*, 33> kWindows33At50 = {
    "..............o..................",
    "..............o#s................",
    "............##o#s##..............",
    ".........###..o#s..###...........",
    "........#...ooo#soo...#..........",
    ".......#..oo..o#s..oo..#.........",
    "......#..o....o#s....o..#........",
    ".....#.oo.....o#s.....oo.#.......",
    "....#..o......o#s.........#......",
    "...#..o.......o#s.......s..#.....",
    "...#.o........o#s........s.#.....",
    "...#.o........o#s........s.#.....",
    "..#.o.........o#s.........s.#....",
    "..#.o.........o#s.........s.#....",
    "..#.o.........o#s.........s.#....",
    "..#.o..........#s.........s.#....",
    "..#.o...........s.........s.#....",
    "..#.o.....................s.#....",
    "..#.o.....................s.#....",
    "...#.o...................s.#.....",
    "...#.o...................s.#.....",
    "...#..o.................s..#.....",
    "....#..o...............s..#......",
    ".....#..s.............ss.#.......",
    "......#..s...........s..#........",
    ".......#..ss.......ss..#.........",
    ".......##...sssssss...#.#........",
    ".......#.###.......###...#.......",
    "......#.....#######.......#......",
    ".................................",
    ".................................",
    ".................................",
    ".................................",
};
constexpr std::array<const char*, 33> kWindows33At0 = {
    ".................................",
    "...............#.................",
    "............#######..............",
    ".........###.......###...........",
    "........#...ooooooo...#..........",
    ".......#..oo.......oo..#.........",
    "......#..o...........o..#........",
    ".....#.oo.............oo.#.......",
    "....#..o..................#......",
    "...#..o.................s..#.....",
    "...#.o...................s.#.....",
    "...#.o...................s.#.....",
    "..#.o.....................s.#....",
    "..#.o.....................s.#....",
    "..#.o.........o...........s.#....",
    "..#.o........o.#..........s.#....",
    "..#.o.......o.#.s.........s.#....",
    "..#.o......o.#.s..........s.#....",
    "..#.o......o#.s...........s.#....",
    "...#.o....o#.s...........s.#.....",
    "...#.o...o#..s...........s.#.....",
    "...#..o.o.#.s...........s..#.....",
    "....#..o.#.s...........s..#......",
    ".....#o.#.s...........ss.#.......",
    "......o#.s...........s..#........",
    ".....o##s.ss.......ss..#.........",
    ".......#s...sssssss...#.#........",
    ".......#.###.......###...#.......",
    "......#.....#######.......#......",
    ".................................",
    ".................................",
    ".................................",
    ".................................",
};
constexpr std::array<const char*, 25> kWindows25At0 = {
    ".........................",
    "...........#.............",
    ".........#####...........",
    ".......##.....##.........",
    ".....##..ooooo..##.......",
    "....#..oo.....oo..#......",
    "....#.o.........o.#......",
    "...#.o...........o.#.....",
    "...#.o.............#.....",
    "..#.o.............s.#....",
    "..#.o.....o.......s.#....",
    "..#.o....o.#......s.#....",
    "..#.o...o.#.s.....s.#....",
    "..#.o..o.#.s......s.#....",
    "...#.oo.#.s......s.#.....",
    "...#.oo#.s.......s.#.....",
    "....#oo#s.......s.#......",
    "....o.#.s.....ss..#......",
    "...o.##s.sssss..##.......",
    ".....#s##.....##..#......",
    ".....#...#####.....#.....",
    "....#...............#....",
    ".........................",
    ".........................",
    ".........................",
};
// clang-format on

Rgb colourOf(char c) {
    switch (c) {
    case '#':
        return kBlack;
    case 'o':
        return kButtonHighlight;
    case 's':
        return kButtonShadow;
    default:
        return kButtonFace;
    }
}

RasterCanvas knobAt(std::int32_t size, std::int32_t position) {
    TTsumami knob;
    knob.SetPosition(position);
    return knobImage(size, size, knob.paintGeometry(size, size));
}

// Pixels that differ from `windows`, as (x, y).
template <std::size_t N>
std::set<std::pair<int, int>> differences(const RasterCanvas& drawn,
                                          const std::array<const char*, N>& windows) {
    std::set<std::pair<int, int>> found;
    for (int y = 0; y < static_cast<int>(N); ++y)
        for (int x = 0; x < static_cast<int>(N); ++x)
            if (drawn.pixel(x, y) != colourOf(windows[y][x])) found.insert({x, y});
    return found;
}

// The Windows form leaves out one more pixel at each end of the shadowed half of the inner ring
// than the rule that an arc's end is not drawn explains; the canvas keeps those two.
TEST(KnobImage, MatchesTheWindowsFormsKnobsButForTheShadowedRingsEnds) {
    using Pixels = std::set<std::pair<int, int>>;
    EXPECT_EQ(differences(knobAt(33, 50), kWindows33At50), (Pixels{{23, 8}, {7, 23}}));
    EXPECT_EQ(differences(knobAt(33, 0), kWindows33At0), (Pixels{{23, 8}, {7, 23}}));
    EXPECT_EQ(differences(knobAt(25, 0), kWindows25At0), (Pixels{{17, 8}, {7, 17}}));
    for (const auto& [x, y] : differences(knobAt(33, 0), kWindows33At0))
        EXPECT_EQ(knobAt(33, 0).pixel(x, y), kButtonShadow);
}

TEST(KnobImage, ShowsThePointerOfEveryPositionWithinTheKnob) {
    // Position 50 points straight up: line 1 from (16, 16) to (16, 0), its end left out.
    const RasterCanvas up = knobAt(33, 50);
    for (int y = 1; y <= 16; ++y)
        EXPECT_EQ(up.pixel(16, y), kButtonShadow) << y;
    EXPECT_EQ(up.pixel(16, 0), kButtonFace);
    EXPECT_EQ(up.pixel(15, 1), kBlack); // the top scale mark from (15, 2)
    // At 100 the pointer runs down the diagonal: the black line from (15, 15) to (25, 26) lies
    // over most of the shadow line, the highlight line shows beside it, and the end pixel stays
    // out.
    const RasterCanvas high = knobAt(33, 100);
    EXPECT_EQ(high.pixel(15, 15), kBlack);
    EXPECT_EQ(high.pixel(24, 25), kBlack);
    EXPECT_EQ(high.pixel(25, 26), kButtonFace);
    EXPECT_EQ(high.pixel(16, 17), kButtonHighlight);
    EXPECT_EQ(high.pixel(25, 27), kBlack); // the scale mark at 100
}

TEST(RadioBox, IsTwelvePixelsRoundWithADotWhenChecked) {
    RasterCanvas plain(14, 14, kButtonFace), checked(14, 14, kButtonFace);
    drawRadioBox(plain, 1, 1, false);
    drawRadioBox(checked, 1, 1, true);
    EXPECT_EQ(plain.pixel(1, 1), kButtonFace); // the corners stay the background
    EXPECT_EQ(plain.pixel(6, 1), kButtonShadow);
    EXPECT_EQ(plain.pixel(6, 12), kButtonHighlight);
    EXPECT_EQ(plain.pixel(6, 6), kWindowColour);
    EXPECT_EQ(checked.pixel(6, 6), kBlack);
    EXPECT_EQ(checked.pixel(5, 5), kWindowColour); // the dot's corner is cut
    EXPECT_EQ(plain.pixel(13, 13), kButtonFace);
}

} // namespace
