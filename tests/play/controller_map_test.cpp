// The player's MIDI controller map, in process: the default map and the file that replaces it,
// each kind of bad line told with its line, a controller's 0 to 127 over the control's own range,
// and the editor's strip following a knob that the audio thread turned.
#include "tools/play/controller_map.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "editor/editor_form.h"
#include "editor/form_window.h"
#include "tools/common/tool_error.h"
#include "tools/play/play_options.h"
#include "tools/play/queue_link.h"

namespace {

// The same bytes as a keyboard sends them.
bool send(const ControllerMap& map, Instrument& instrument, std::vector<std::uint8_t> bytes) {
    return map.apply(bytes.data(), bytes.size(), instrument);
}

std::string parseError(const std::string& text) {
    try {
        ControllerMap::parse(text, "knobs.map");
    } catch (const ToolError& e) {
        return e.what();
    }
    return "";
}

TEST(ControllerMap, TheDefaultMapTakesTheSoundControllersAndABlockForTheDrawbars) {
    const ControllerMap map = ControllerMap::defaults();
    const std::pair<int, std::int32_t> expected[] = {
        {71, Q},           {72, Release},      {73, Attack},    {74, CutOff},    {75, Decay},
        {76, VibratoRate}, {77, VibratoDepth}, {102, Drawbar2}, {103, Drawbar3}, {104, Drawbar4},
        {105, Drawbar6},   {106, Drawbar8},    {107, Drawbar16}};
    int mapped = 0;
    for (int controller = 0; controller < 128; ++controller)
        mapped += map[static_cast<std::uint8_t>(controller)].control >= 0;
    EXPECT_EQ(mapped, 13);
    for (const auto& [controller, control] : expected) {
        EXPECT_EQ(map[controller].control, control) << controller;
        EXPECT_FALSE(map[controller].inverted) << controller;
    }
    // The performance controllers and the channel mode messages stay the MIDI front's.
    for (int controller : {1, 7, 11, 64, 120, 123, 126})
        EXPECT_LT(map[static_cast<std::uint8_t>(controller)].control, 0) << controller;

    // --help lists the default map, each controller with its symbol.
    std::string help;
    for (std::istringstream words(playUsageText()); words;) {
        std::string word;
        words >> word;
        help += word + " ";
    }
    for (const auto& [controller, control] : expected)
        EXPECT_NE(help.find(std::to_string(controller) + " " + kParameterSymbols[control]),
                  std::string::npos)
            << controller;
    EXPECT_TRUE(parsePlayOptions({"--cc-map", "knobs.map"}).controllerMap == "knobs.map");
}

TEST(ControllerMap, AFileReplacesTheMapWithCommentsBlankLinesAndInvert) {
    const ControllerMap map = ControllerMap::parse("# my drawbar box\n"
                                                   "\n"
                                                   "20 drawbar_16 invert   # pushed in is 127\r\n"
                                                   "  21\tvolume\n"
                                                   "74 env_curve\n"
                                                   "0 bend_range",
                                                   "knobs.map");
    EXPECT_EQ(map[20].control, Drawbar16);
    EXPECT_TRUE(map[20].inverted);
    EXPECT_EQ(map[21].control, Volume);
    EXPECT_FALSE(map[21].inverted);
    EXPECT_EQ(map[74].control, EnvCurve);
    EXPECT_EQ(map[0].control, BendRange);
    EXPECT_LT(map[71].control, 0) << "the default map is gone";
    // Every control can be mapped, and a file of comments maps nothing.
    for (std::int32_t index = 0; index < kControlCount; ++index)
        EXPECT_EQ(
            ControllerMap::parse("5 " + std::string(kParameterSymbols[index]), "m")[5].control,
            index);
    EXPECT_LT(ControllerMap::parse("# nothing\n", "m")[74].control, 0);
}

TEST(ControllerMap, EachBadLineIsToldWithItsFileAndLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"74 cutoff\n75\n", "knobs.map:2: expected 'CONTROLLER SYMBOL [invert]', not '75'"},
        {"x cutoff", "knobs.map:1: the controller is a number from 0 to 119, not 'x'"},
        {"# a\n-1 cutoff", "knobs.map:2: the controller is a number from 0 to 119, not '-1'"},
        {"128 cutoff", "knobs.map:1: the controller is a number from 0 to 119, not '128'"},
        {"7.5 cutoff", "knobs.map:1: the controller is a number from 0 to 119, not '7.5'"},
        {"123 cutoff",
         "knobs.map:1: controller 123 is a channel mode message (120 to 127), which cannot be "
         "mapped"},
        {"\n\n74 cutoff\n75 q", "knobs.map:4: no parameter has the symbol 'q'"},
        {"74 cutoff\n\n74 resonance", "knobs.map:3: controller 74 is mapped already on line 1"},
        {"74 CutOff", "knobs.map:1: no parameter has the symbol 'CutOff'"},
        {"74 cutoff inverted", "knobs.map:1: only 'invert' may follow the symbol, not 'inverted'"},
        {"74 cutoff invert # ok\n75 decay invert twice",
         "knobs.map:2: nothing may follow 'invert', not 'twice'"},
    };
    for (const auto& c : cases) {
        const std::string error = parseError(c.text);
        EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.text;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
    }
    // The symbols are listed for the user to pick from.
    EXPECT_NE(parseError("74 cutof").find("cutoff, resonance"), std::string::npos);
    EXPECT_EQ(parseError("74 cutoff\n75 decay invert\n"), "");
}

TEST(ControllerMap, AControllerSpansItsControlsOwnRange) {
    EXPECT_EQ(controllerValue(CutOff, 0, false), 0.0f);
    EXPECT_EQ(controllerValue(CutOff, 127, false), 1.0f);
    EXPECT_EQ(controllerValue(CutOff, 127, true), 0.0f);
    EXPECT_EQ(controllerValue(CutOff, 100, false), static_cast<float>(100.0 / 127));
    EXPECT_EQ(controllerValue(Volume, 0, false), -60.0f);
    EXPECT_EQ(controllerValue(Volume, 127, false), 12.0f);
    EXPECT_EQ(controllerValue(Volume, 0, true), 12.0f);
    EXPECT_EQ(controllerValue(VibratoRate, 127, false), 12.0f);
    // Whole numbers and choices are rounded.
    EXPECT_EQ(controllerValue(BendRange, 0, false), 1.0f);
    EXPECT_EQ(controllerValue(BendRange, 64, false), 13.0f); // 1 + 23 * 64 / 127 = 12.59
    EXPECT_EQ(controllerValue(BendRange, 127, false), 24.0f);
    EXPECT_EQ(controllerValue(EnvCurve, 63, false), 0.0f);
    EXPECT_EQ(controllerValue(EnvCurve, 64, false), 1.0f);
    EXPECT_EQ(controllerValue(EnvCurve, 64, true), 0.0f);
}

TEST(ControllerMap, TheEditorsStripFollowsAKnobTheAudioThreadTurned) {
    auto instrument = std::make_unique<Instrument>();
    ParameterQueue queue;
    QueueLink link(*instrument, queue);
    TForm1 form(FormExtent::WithPlayingStrip);
    auto window = createFormWindow(nullptr, form);
    form.FormCreate();
    form.Synth = &link;
    form.Timer1Timer();

    const ControllerMap map = ControllerMap::defaults();
    send(map, *instrument, {0xB0, 77, 127}); // vibrato depth to 100 cents
    send(map, *instrument, {0xB0, 106, 0});  // the 8' drawbar pushed in
    send(map, *instrument, {0xB0, 76, 64});  // a rate between the slider's steps
    form.Timer1Timer();
    EXPECT_EQ(form.boundControl(VibratoDepth)->position(), 0);
    EXPECT_EQ(form.boundControl(Drawbar8)->position(), 10);
    EXPECT_EQ(form.playingValue(VibratoRate), controllerValue(VibratoRate, 64, false));
    EXPECT_EQ(form.boundControl(VibratoRate)->position(),
              kBindings[VibratoRate].positionFor(controllerValue(VibratoRate, 64, false)));
    // Following writes nothing back to the audio thread.
    ParameterChange change;
    EXPECT_FALSE(queue.pop(change));
}

} // namespace
