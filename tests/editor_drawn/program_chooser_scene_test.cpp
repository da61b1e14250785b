// The drawn program chooser below the strip: the form above it pixel for pixel as the LV2 UI's,
// every program's name in its item with the chosen one white on the highlight and told in the
// field, and the list and buttons taking the pointer as a user works them.
#include "editor/drawn/form_scene.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"

namespace {

TextMetrics fixedFont() {
    TextMetrics metrics;
    metrics.width = [](std::string_view text) {
        return static_cast<std::int32_t>(6 * text.size());
    };
    return metrics;
}

// The instrument's programs: a choice is taken at once, as the audio thread soon would.
class HeldPrograms : public ProgramLink {
  public:
    std::int32_t readProgram() override { return playing; }
    std::string programName(std::int32_t p) override { return "Sound " + std::to_string(p); }
    void selectProgram(std::int32_t p) override {
        choices.push_back(p);
        playing = p;
    }
    std::int32_t playing = 5;
    std::vector<std::int32_t> choices;
};

PixelPoint centreOf(ControlRect r) {
    return {r.left + r.width / 2, r.top + r.height / 2};
}

class ChooserSceneTest : public testing::Test {
  protected:
    ChooserSceneTest() {
        stripForm.FormCreate();
        form.FormCreate();
        form.Programs = &programs;
        form.Timer1Timer();
    }
    RasterCanvas painted(const FormScene& s) const {
        RasterCanvas canvas(s.width(), s.height(), 0);
        s.paint(canvas);
        return canvas;
    }
    void click(PixelPoint at) {
        scene.press(at, at);
        scene.release(at);
        form.Timer1Timer();
    }
    std::vector<TextRun> itemRuns() const {
        const ListBox& list = *scene.programList();
        std::vector<TextRun> runs;
        for (const TextRun& r : scene.texts())
            for (std::int32_t i = 0; i < list.itemCount(); ++i)
                if (r.clip == list.itemRect(i)) runs.push_back(r);
        return runs;
    }

    HeldPrograms programs;
    TForm1 stripForm{FormExtent::WithPlayingStrip};
    TForm1 form{FormExtent::WithProgramChooser};
    FormScene stripScene{stripForm, fixedFont()};
    FormScene scene{form, fixedFont()};
};

TEST_F(ChooserSceneTest, TheFormAboveTheChooserIsTheLv2UisPixelForPixel) {
    EXPECT_EQ(scene.height(), stripScene.height() + kChooserHeight);
    EXPECT_EQ(stripScene.programList(), nullptr);
    EXPECT_EQ(stripScene.nextButton(), nullptr);
    const RasterCanvas strip = painted(stripScene);
    const RasterCanvas withChooser = painted(scene);
    std::int32_t differing = 0;
    for (std::int32_t y = 0; y < strip.height(); ++y)
        for (std::int32_t x = 0; x < strip.width(); ++x)
            differing += strip.pixel(x, y) != withChooser.pixel(x, y);
    EXPECT_EQ(differing, 0);
    const std::vector<TextRun> runs = scene.texts();
    for (const TextRun& stripRun : stripScene.texts()) {
        bool found = false;
        for (const TextRun& r : runs)
            found |= r.text == stripRun.text && r.origin == stripRun.origin;
        EXPECT_TRUE(found) << stripRun.text;
    }
}

TEST_F(ChooserSceneTest, EveryNameInItsItemAndTheChosenOneOnTheHighlightAndInTheField) {
    const ListBox& list = *scene.programList();
    ASSERT_EQ(list.itemCount(), kChooserProgramCount);
    const std::vector<TextRun> items = itemRuns();
    ASSERT_EQ(items.size(), std::size_t(kChooserProgramCount));
    const RasterCanvas canvas = painted(scene);
    for (std::int32_t i = 0; i < kChooserProgramCount; ++i) {
        const ControlRect item = list.itemRect(i);
        EXPECT_EQ(items[i].text, "Sound " + std::to_string(i));
        // Filled a column at a time, each text on its item's middle line.
        EXPECT_EQ(item.left, list.itemRect(i % kChooserRows).left + i / kChooserRows * item.width);
        EXPECT_GT(items[i].origin.y, item.top);
        EXPECT_LT(items[i].origin.y, item.top + item.height);
        EXPECT_EQ(items[i].colour, i == 5 ? kHighlightText : kTextColour) << i;
        const PixelPoint middle = centreOf(item);
        EXPECT_EQ(canvas.pixel(middle.x, middle.y), i == 5 ? kHighlight : kWindowColour) << i;
    }
    const ControlRect lastItem = list.itemRect(kChooserProgramCount - 1);
    EXPECT_LE(lastItem.left + lastItem.width, list.bounds().left + list.bounds().width - 2);
    EXPECT_EQ(lastItem.top + lastItem.height, list.bounds().top + list.bounds().height - 2);

    EXPECT_EQ(scene.programText(), "5: Sound 5");
    bool told = false;
    for (const TextRun& r : scene.texts())
        told |= r.text == "5: Sound 5" && r.colour == kTextColour;
    EXPECT_TRUE(told);
}

TEST_F(ChooserSceneTest, TheListAndTheButtonsTakeThePointerAsAUserWorksThem) {
    const ListBox& list = *scene.programList();
    const std::vector<std::int32_t> before = scene.visualState();
    click(centreOf(list.itemRect(19)));
    EXPECT_EQ(programs.choices, std::vector<std::int32_t>{19});
    EXPECT_EQ(list.position(), 19);
    EXPECT_EQ(scene.programText(), "19: Sound 19");
    EXPECT_NE(scene.visualState(), before);
    // The list's edge is no item.
    click({list.bounds().left, list.bounds().top});
    EXPECT_EQ(programs.choices.size(), 1u);

    // A button shows pushed while the press stays on it, and clicks only when released on it.
    PushButton& next = *scene.nextButton();
    const PixelPoint onNext = centreOf(next.bounds());
    const PixelPoint away{onNext.x, onNext.y + 40};
    const std::vector<std::int32_t> released = scene.visualState();
    scene.press(onNext, onNext);
    EXPECT_TRUE(next.pushed());
    EXPECT_NE(scene.visualState(), released);
    scene.move(away, away);
    EXPECT_FALSE(next.pushed());
    scene.release(away);
    EXPECT_EQ(programs.choices.size(), 1u);
    click(onNext);
    EXPECT_EQ(programs.choices.back(), 20);

    // Round the ends: the last program after the first and back.
    const PixelPoint onPrevious = centreOf(scene.previousButton()->bounds());
    click(centreOf(list.itemRect(0)));
    click(onPrevious);
    EXPECT_EQ(list.position(), kChooserProgramCount - 1);
    click(onNext);
    EXPECT_EQ(programs.choices, (std::vector<std::int32_t>{19, 20, 0, 31, 0}));
    EXPECT_EQ(scene.programText(), "0: Sound 0");
}

} // namespace
