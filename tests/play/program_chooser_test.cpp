// ulvo-play's programs in process, without a JACK server: a fresh player's programs are the
// factory presets; the window's chooser lists them, a choice in it reaches the instrument through
// the queue the process callback drains, and a keyboard's program change moves the chooser; the
// editor writes nothing back for what it only shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "editor/editor_form.h"
#include "editor/form_window.h"
#include "editor/parameter_binding.h"
#include "synth/bank_text.h"
#include "synth/midi_front.h"
#include "tests/play/factory_bank.h"
#include "tools/play/factory_programs.h"
#include "tools/play/program_queue_link.h"
#include "tools/play/queue_link.h"

namespace {

std::string factoryText() {
    std::ifstream in(ULVO_FACTORY_PRESETS, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(PlayPrograms, AFreshPlayersProgramsAreTheFactoryPresets) {
    auto player = std::make_unique<Instrument>();
    loadFactoryPrograms(*player);
    auto expected = std::make_unique<Instrument>();
    loadFactoryBank(*expected, factoryText());
    // Every program's values and name, and program 0 current.
    EXPECT_EQ(writeBankText(*player), writeBankText(*expected));
    EXPECT_EQ(std::string(player->program(0).name), "Classic Organ");
    for (std::int32_t index = 0; index < kControlCount; ++index)
        EXPECT_EQ(player->parameter(index), player->program(0).value(index)) << index;
}

// The player's window as EditorWindow wires it, with the headless backend; the test is the
// audio thread.
class PlayerChooserTest : public testing::Test {
  protected:
    PlayerChooserTest() {
        loadFactoryBank(*instrument, factoryText());
        form.FormCreate();
        form.Synth = &link;
        form.Programs = &programs;
        form.Timer1Timer();
    }
    bool nothingQueued() {
        ParameterChange change;
        return !queue.pop(change);
    }
    // The sliders and radio groups show program `p`'s values.
    void expectControlsShow(std::int32_t p) {
        for (std::int32_t index = 0; index < kControlCount; ++index) {
            const ParameterBinding& binding = kBindings[index];
            const std::int32_t position = std::clamp(
                binding.positionFor(instrument->program(p).value(index)), 0, binding.steps);
            EXPECT_EQ(form.boundControl(index)->position(), position) << kParameterSymbols[index];
        }
    }

    std::unique_ptr<Instrument> instrument = std::make_unique<Instrument>();
    ParameterQueue queue;
    QueueLink link{*instrument, queue};
    ProgramQueueLink programs{*instrument, queue};
    TForm1 form{FormExtent::WithProgramChooser};
    std::unique_ptr<FormWindow> window = createFormWindow(nullptr, form);
};

TEST_F(PlayerChooserTest, AChoiceReachesTheInstrumentThroughTheQueueAndTheWindowShowsIt) {
    for (std::int32_t p = 0; p < kProgramCount; ++p)
        EXPECT_EQ(form.programName(p), instrument->program(p).name);
    EXPECT_EQ(form.programList()->position(), 0);
    expectControlsShow(0);
    EXPECT_TRUE(nothingQueued()) << "showing the sound writes nothing";

    // The user picks Marimba; until the audio thread takes it the list stays on it.
    const std::int32_t marimba = 10;
    ASSERT_EQ(std::string(instrument->program(marimba).name), "Marimba");
    form.programList()->setPosition(marimba);
    form.Timer1Timer();
    EXPECT_EQ(instrument->currentProgram(), 0);
    EXPECT_EQ(form.programList()->position(), marimba);

    queue.applyAll(*instrument);
    EXPECT_EQ(instrument->currentProgram(), marimba);
    for (std::int32_t index = 0; index < kControlCount; ++index)
        EXPECT_EQ(instrument->parameter(index), instrument->program(marimba).value(index)) << index;
    form.Timer1Timer();
    expectControlsShow(marimba);
    EXPECT_TRUE(nothingQueued()) << "the controls following the program write nothing";

    // Next, and a slider moved in the new program: both reach the instrument in order.
    form.NextButtonClick();
    form.boundControl(Drawbar8)->setPosition(0);
    queue.applyAll(*instrument);
    EXPECT_EQ(instrument->currentProgram(), marimba + 1);
    EXPECT_EQ(instrument->parameter(Drawbar8), 1.0f);
    EXPECT_EQ(instrument->program(marimba + 1).value(Drawbar8), 1.0f);
    form.Timer1Timer();
    EXPECT_EQ(form.programList()->position(), marimba + 1);
    EXPECT_TRUE(nothingQueued());
}

TEST_F(PlayerChooserTest, AKeyboardsProgramChangeMovesTheChooser) {
    MidiFront front(*instrument);
    const std::uint8_t change[] = {0xC0, 21};
    front.message(change, sizeof change, 0);
    form.Timer1Timer();
    EXPECT_EQ(form.programList()->position(), 21);
    EXPECT_EQ(form.shownProgram(), 21);
    expectControlsShow(21);
    // Past the 32 programs nothing is selected.
    const std::uint8_t beyond[] = {0xC3, 40};
    front.message(beyond, sizeof beyond, 0);
    form.Timer1Timer();
    EXPECT_EQ(form.programList()->position(), 21);
    EXPECT_TRUE(nothingQueued());

    // A choice still queued is what the list shows, even when the keyboard changed the program
    // meanwhile; once the queue is drained the list shows what then plays.
    form.PreviousButtonClick();
    const std::uint8_t keyboard[] = {0xC0, 3};
    front.message(keyboard, sizeof keyboard, 0);
    form.Timer1Timer();
    EXPECT_EQ(form.programList()->position(), 20);
    queue.applyAll(*instrument);
    front.message(keyboard, sizeof keyboard, 0);
    form.Timer1Timer();
    EXPECT_EQ(form.programList()->position(), 3);
}

} // namespace
