#include "editor/tsumami.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

struct Recorder {
    int changes = 0;
    int repaints = 0;
    std::vector<std::int32_t> positions;
};

void record(TTsumami& knob, Recorder& recorder) {
    knob.OnChange = [&] {
        ++recorder.changes;
        recorder.positions.push_back(knob.Position);
    };
    knob.RequestRepaint = [&] { ++recorder.repaints; };
}

TEST(TTsumami, NewKnobStandsAtFiftyPointingStraightUp) {
    TTsumami knob;
    EXPECT_EQ(knob.Position, 50);
    EXPECT_FALSE(knob.Dragging);
    EXPECT_EQ(knob.PointerY[50], -1.0f);
    EXPECT_LT(std::abs(knob.PointerX[50]), 1e-7f);
}

TEST(TTsumami, PointerTablesTurnByPiOver65AndMirrorExactly) {
    TTsumami knob;
    for (int i = 0; i <= 100; ++i) {
        const double angle = (i - 50) * std::numbers::pi / 65;
        EXPECT_NEAR(knob.PointerX[i], std::sin(angle), 1e-7) << i;
        EXPECT_NEAR(knob.PointerY[i], -std::cos(angle), 1e-7) << i;
    }
    for (int j = 1; j <= 50; ++j) {
        EXPECT_EQ(knob.PointerY[50 - j], knob.PointerY[50 + j]) << j;
        EXPECT_EQ(knob.PointerX[50 - j], -knob.PointerX[50 + j]) << j;
    }
}

TEST(TTsumami, SetPositionRepaintsAndRaisesOnChangeEvenWhenUnchanged) {
    TTsumami knob;
    Recorder recorder;
    record(knob, recorder);
    knob.SetPosition(37);
    knob.SetPosition(37);
    EXPECT_EQ(knob.Position, 37);
    EXPECT_EQ(recorder.changes, 2);
    EXPECT_EQ(recorder.repaints, 2);
}

TEST(TTsumami, SetPositionKeepsWithinTheSweep) {
    TTsumami knob;
    knob.SetPosition(-5);
    EXPECT_EQ(knob.Position, 0);
    knob.SetPosition(250);
    EXPECT_EQ(knob.Position, 100);
    knob.setPosition(101); // the form's entry is the same operation
    EXPECT_EQ(knob.position(), 100);
}

// Cursor travel from the press (right and up positive) and the position it gives from 50.
struct DragRow {
    std::int32_t right;
    std::int32_t up;
    std::int32_t expected;
};

TEST(TTsumami, DragTurnsOneStepPerTwoPixelsOnEitherAxisRoundingHalvesToEven) {
    const DragRow rows[] = {
        {2, 0, 51},    {3, 0, 52},   {5, 0, 52}, // 1.5 rounds to 2, 2.5 to 2
        {1, 1, 50},                              // each half rounds to 0
        {-2, 0, 49},   {0, -4, 48},  {4, 6, 55}, // left and down turn down; axes add
        {0, 200, 100}, {0, -300, 0},             // clamped at both ends
    };
    for (const DragRow& row : rows) {
        TTsumami knob;
        knob.beginDrag({100, 100});
        knob.dragTo({100 + row.right, 100 - row.up});
        EXPECT_EQ(knob.Position, row.expected) << row.right << "," << row.up;
        EXPECT_TRUE(knob.Dragging);
    }
}

TEST(TTsumami, DragFollowsTheTravelSinceThePressNotThePreviousMove) {
    TTsumami knob;
    knob.beginDrag({500, 500});
    knob.dragTo({500, 300}); // 200 up: overshoots the end
    EXPECT_EQ(knob.Position, 100);
    knob.dragTo({500, 480}); // back to 20 above the press
    EXPECT_EQ(knob.Position, 60);
    knob.dragTo({500, 500});
    EXPECT_EQ(knob.Position, 50);
    EXPECT_EQ(knob.DragStartPosition, 50);
    EXPECT_EQ(knob.DragCursor, (KnobPoint{500, 500}));
}

TEST(TTsumami, ExtremeCursorTravelClampsWithoutOverflow) {
    TTsumami knob;
    knob.beginDrag({INT32_MIN, INT32_MAX});
    knob.dragTo({INT32_MAX, INT32_MIN}); // right and up by the whole coordinate range
    EXPECT_EQ(knob.Position, 100);
    knob.dragTo({INT32_MIN, INT32_MAX});
    EXPECT_EQ(knob.Position, 50);
    knob.beginDrag({INT32_MAX, INT32_MIN});
    knob.dragTo({INT32_MIN, INT32_MAX});
    EXPECT_EQ(knob.Position, 0);
}

TEST(TTsumami, EveryDragMoveRaisesOnChangeEvenWithoutAStep) {
    TTsumami knob;
    Recorder recorder;
    record(knob, recorder);
    knob.beginDrag({0, 0});
    knob.dragTo({1, 0});
    knob.dragTo({0, 1});
    EXPECT_EQ(recorder.positions, (std::vector<std::int32_t>{50, 50}));
}

TEST(TTsumami, ReleaseWithoutMoveLeavesThePositionAndRaisesNothing) {
    TTsumami knob;
    knob.SetPosition(70);
    Recorder recorder;
    record(knob, recorder);
    knob.beginDrag({10, 10});
    knob.endDrag();
    EXPECT_FALSE(knob.Dragging);
    EXPECT_EQ(knob.Position, 70);
    EXPECT_EQ(recorder.changes, 0);
    knob.dragTo({10, -100}); // moves after the release are not a drag
    EXPECT_EQ(knob.Position, 70);
    EXPECT_EQ(recorder.changes, 0);
}

TEST(TTsumami, A33PixelKnobAtFiftyPaintsTheDocumentedGeometry) {
    TTsumami knob;
    const KnobPaint paint = knob.paintGeometry(33, 33);
    EXPECT_EQ(paint.discFrom, (KnobPoint{2, 2}));
    EXPECT_EQ(paint.discTo, (KnobPoint{29, 29}));

    const KnobArc& highlight = paint.rings[0];
    EXPECT_EQ(highlight.pen, KnobPen::ButtonHighlight);
    EXPECT_EQ(highlight.boxFrom, (KnobPoint{4, 4}));
    EXPECT_EQ(highlight.boxTo, (KnobPoint{27, 27}));
    EXPECT_EQ(highlight.rayStart, (KnobPoint{24, 6}));
    EXPECT_EQ(highlight.rayEnd, (KnobPoint{6, 24}));
    const KnobArc& shadow = paint.rings[1];
    EXPECT_EQ(shadow.pen, KnobPen::ButtonShadow);
    EXPECT_EQ(shadow.rayStart, (KnobPoint{6, 24}));
    EXPECT_EQ(shadow.rayEnd, (KnobPoint{24, 6}));

    EXPECT_EQ(paint.pointer[0].pen, KnobPen::ButtonShadow);
    EXPECT_EQ(paint.pointer[0].from, (KnobPoint{16, 16}));
    EXPECT_EQ(paint.pointer[0].to, (KnobPoint{16, 0}));
    EXPECT_EQ(paint.pointer[1].pen, KnobPen::ButtonHighlight);
    EXPECT_EQ(paint.pointer[1].from, (KnobPoint{14, 14}));
    EXPECT_EQ(paint.pointer[1].to, (KnobPoint{14, -2}));
    EXPECT_EQ(paint.pointer[2].pen, KnobPen::Black);
    EXPECT_EQ(paint.pointer[2].from, (KnobPoint{15, 15}));
    EXPECT_EQ(paint.pointer[2].to, (KnobPoint{15, 1})); // -14.5 rounds to -14

    // Marks for 100, 50 and 0, from just inside the rim to the edge.
    EXPECT_EQ(paint.marks[0].from, (KnobPoint{24, 26}));
    EXPECT_EQ(paint.marks[0].to, (KnobPoint{27, 29}));
    EXPECT_EQ(paint.marks[1].from, (KnobPoint{15, 2}));
    EXPECT_EQ(paint.marks[1].to, (KnobPoint{16, 0}));
    EXPECT_EQ(paint.marks[2].from, (KnobPoint{7, 26}));
    EXPECT_EQ(paint.marks[2].to, (KnobPoint{6, 29}));
    for (const KnobLine& mark : paint.marks)
        EXPECT_EQ(mark.pen, KnobPen::Black);
}

TEST(TTsumami, PointerEndsFollowThePositionAndTheKnobSize) {
    TTsumami knob;
    knob.SetPosition(0);
    EXPECT_EQ(knob.paintGeometry(33, 33).pointer[0].to, (KnobPoint{6, 28}));
    knob.SetPosition(100);
    EXPECT_EQ(knob.paintGeometry(33, 33).pointer[0].to, (KnobPoint{26, 28}));
    knob.SetPosition(50);
    const KnobPaint small = knob.paintGeometry(25, 25);
    EXPECT_EQ(small.pointer[0].from, (KnobPoint{12, 12}));
    EXPECT_EQ(small.pointer[0].to, (KnobPoint{12, 0}));
    EXPECT_EQ(small.discTo, (KnobPoint{21, 21}));
}

} // namespace
