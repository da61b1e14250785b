// The player's program chooser, free of any windowing toolkit: the list follows the program the
// instrument plays and the names it holds without choosing anything itself; a choice in the list
// or a step of the buttons selects once, the steps going round the ends; the classic form and the
// LV2 UI's are as they were, without it.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"

namespace {

bool overlaps(ControlRect a, ControlRect b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// The instrument's programs as the chooser sees them: every choice recorded, the playing program
// and the names set by the test.
class HeldPrograms : public ProgramLink {
  public:
    HeldPrograms() {
        for (std::int32_t p = 0; p < kChooserProgramCount; ++p)
            names[p] = "Sound " + std::to_string(p);
    }
    std::int32_t readProgram() override {
        ++reads;
        return playing;
    }
    std::string programName(std::int32_t p) override { return names[p]; }
    void selectProgram(std::int32_t p) override { choices.push_back(p); }

    std::int32_t playing = 7;
    std::array<std::string, kChooserProgramCount> names;
    std::vector<std::int32_t> choices;
    int reads = 0;
};

class ChooserTest : public testing::Test {
  protected:
    ChooserTest() {
        form.FormCreate();
        form.Programs = &programs;
    }
    FormControl& list() { return *form.programList(); }

    HeldPrograms programs;
    TForm1 form{FormExtent::WithProgramChooser};
    std::unique_ptr<FormWindow> window = createFormWindow(nullptr, form);
};

TEST_F(ChooserTest, TheListFollowsTheInstrumentsProgramAndNamesWithoutChoosing) {
    EXPECT_EQ(window->height(), kFormHeight + kStripHeight + kChooserHeight);
    ASSERT_NE(form.programList(), nullptr);
    form.Timer1Timer();
    EXPECT_EQ(list().position(), 7);
    EXPECT_EQ(form.shownProgram(), 7);
    for (std::int32_t p = 0; p < kChooserProgramCount; ++p)
        EXPECT_EQ(form.programName(p), programs.names[p]);
    EXPECT_EQ(form.programName(kChooserProgramCount), "");

    // A program change from elsewhere (a keyboard) moves the list at the next tick.
    programs.playing = 20;
    form.Timer1Timer();
    EXPECT_EQ(list().position(), 20);
    EXPECT_TRUE(programs.choices.empty()) << "following the instrument chooses nothing";

    // The names are read again on each tick; a window learns of a change by the revision.
    const std::uint32_t revision = form.programNamesRevision();
    form.Timer1Timer();
    EXPECT_EQ(form.programNamesRevision(), revision);
    programs.names[3] = "Renamed";
    form.Timer1Timer();
    EXPECT_EQ(form.programName(3), "Renamed");
    EXPECT_NE(form.programNamesRevision(), revision);
}

TEST_F(ChooserTest, AChoiceOrAStepSelectsOnceAndTheStepsGoRoundTheEnds) {
    form.Timer1Timer();
    list().setPosition(12); // as a click on the list's item
    EXPECT_EQ(form.shownProgram(), 12);
    form.NextButtonClick();
    form.PreviousButtonClick();
    form.PreviousButtonClick();
    EXPECT_EQ(programs.choices, (std::vector<std::int32_t>{12, 13, 12, 11}));
    // A choice the instrument has not taken yet stays on the list only while the link tells it;
    // once taken, the tick finds it and chooses nothing again.
    programs.playing = 11;
    form.Timer1Timer();
    EXPECT_EQ(list().position(), 11);
    EXPECT_EQ(programs.choices.size(), 4u);

    programs.choices.clear();
    list().setPosition(kChooserProgramCount - 1);
    form.NextButtonClick();
    form.PreviousButtonClick();
    list().setPosition(0); // the same program again: its own move, no choice
    list().setPosition(0);
    EXPECT_EQ(programs.choices, (std::vector<std::int32_t>{31, 0, 31, 0}));
}

TEST(ProgramChooser, OnlyThePlayersFormHasItBelowTheStripWhoseFreeRoomItLeaves) {
    HeldPrograms programs;
    for (FormExtent extent : {FormExtent::Classic, FormExtent::WithPlayingStrip}) {
        TForm1 form(extent);
        auto window = createFormWindow(nullptr, form);
        form.FormCreate();
        form.Programs = &programs;
        form.Timer1Timer();
        form.NextButtonClick();
        EXPECT_FALSE(form.hasProgramChooser());
        EXPECT_EQ(form.programList(), nullptr);
        EXPECT_EQ(window->height(), formHeight(extent));
    }
    EXPECT_EQ(programs.reads, 0);
    EXPECT_TRUE(programs.choices.empty());
    EXPECT_EQ(formHeight(FormExtent::WithPlayingStrip), 281 + kStripHeight);

    const std::vector<const ControlLayout*> rows = formRows(FormExtent::WithProgramChooser);
    ASSERT_EQ(rows.size(), kFormLayout.size() + kStripLayout.size() + kChooserLayout.size());
    const ControlRect frame{0, kFormHeight + kStripHeight, kFormWidth, kChooserHeight};
    std::vector<ControlRect> inside;
    for (const ControlLayout& row : kChooserLayout) {
        const ControlRect rect = formRect(row);
        EXPECT_TRUE(rect.left >= frame.left && rect.top >= frame.top &&
                    rect.left + rect.width <= frame.left + frame.width &&
                    rect.top + rect.height <= frame.top + frame.height)
            << row.name;
        EXPECT_FALSE(overlaps(rect, kOscillatorSlot)) << row.name;
        if (row.parent == nullptr) continue;
        for (const ControlRect& other : inside)
            EXPECT_FALSE(overlaps(rect, other)) << row.name;
        inside.push_back(rect);
    }
    // The list's rows fill it inside its two-pixel edge.
    EXPECT_EQ(kChooserRows * kChooserItemHeight, findControl("ProgramList")->rect.height - 4);
}

} // namespace
