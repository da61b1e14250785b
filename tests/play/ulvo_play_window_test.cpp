// ulvo-play with its editor window, on a virtual X display of its own (with_xvfb.sh) beside a
// private JACK server (with_jack.sh): a preset whose values fall between the controls' steps is
// saved exactly as the preset says however the player ends, whether by SIGTERM, by another client
// destroying its window, or by the X server killing its connection.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <sstream>
#include <thread>

#include "editor/parameter_binding.h"
#include "synth/bank_text.h"
#include "synth/instrument.h"
#include "synth/preset_text.h"
#include "tests/play/factory_bank.h"
#include "tests/play/player_process.h"
#include "tests/tools/render_run.h"

namespace {

constexpr const char* kTitle = "Ulvo DrawBar Synth";

// The top-level window titled kTitle; None after a generous wait.
Window playerWindow(Display* display) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        Window root = None, parent = None, *children = nullptr;
        unsigned count = 0;
        Window found = None;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found == None; ++i) {
                char* name = nullptr;
                if (XFetchName(display, children[i], &name) && std::string(name) == kTitle)
                    found = children[i];
                if (name != nullptr) XFree(name);
            }
            if (children != nullptr) XFree(children);
        }
        if (found != None) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return None;
}

// The lines of standard error other than xrun reports, which a loaded machine may add.
std::vector<std::string> linesBesidesXruns(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("ulvo-play: xrun: ", 0) != 0) result.push_back(line);
    return result;
}

TEST(UlvoPlayWindow, LookingChangesNothingAndEveryEndSavesThePresetExactly) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    const PresetParse presets = parsePresets(slurp(ULVO_FACTORY_PRESETS));
    enum class End { Terminated, WindowDestroyed, ConnectionKilled };
    const struct {
        const char* preset;
        End end;
        int exitCode;
        const char* line; // on standard error; null for none
    } cases[] = {
        {"Warm Saw Pad", End::Terminated, 0, nullptr},
        {"Marimba", End::WindowDestroyed, 0, nullptr},
        {"Warm Saw Pad", End::ConnectionKilled, 1,
         "ulvo-play: lost the connection to the X display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + ", end " + std::to_string(static_cast<int>(c.end)));
        const Preset* preset = findPreset(presets.presets, c.preset);
        ASSERT_NE(preset, nullptr);
        // The preset holds values that no control can show exactly (sustain 0.85 on a slider of
        // 50 steps, decay 0.75 likewise).
        int between = 0;
        for (std::int32_t p = 0; p < kParameterCount; ++p) {
            const ParameterBinding& binding = kBindings[p];
            between +=
                static_cast<float>(binding.valueAt(binding.positionFor(preset->values[p]))) !=
                preset->values[p];
        }
        ASSERT_GT(between, 0);
        auto expected = std::make_unique<Instrument>();
        loadFactoryBank(*expected, slurp(ULVO_FACTORY_PRESETS));
        expected->loadValues(preset->values);
        expected->setProgramName(0, preset->name.c_str());

        TempFolder folder;
        const std::string state = folder.path("state");
        PlayerProcess player(
            {"--no-connect", "--name", "window-player", "--state", state, "--preset", c.preset},
            folder.path(""));
        ASSERT_TRUE(player.waitForOutput("ulvo-play: playing as")) << player.err();
        const Window window = playerWindow(display);
        ASSERT_NE(window, None);
        // Several of the form's 100 ms polls, each moving the controls to the preset's values.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        int code = 0;
        switch (c.end) {
        case End::Terminated:
            code = player.stop(SIGTERM);
            break;
        case End::WindowDestroyed: // as xdotool windowclose
            XDestroyWindow(display, window);
            XSync(display, False);
            code = player.waitAtMost(30);
            break;
        case End::ConnectionKilled: // as xdotool windowkill
            XKillClient(display, window);
            XSync(display, False);
            code = player.waitAtMost(30);
            break;
        }
        EXPECT_EQ(code, c.exitCode) << player.err();
        const std::vector<std::string> lines = linesBesidesXruns(player.err());
        if (c.line == nullptr) {
            EXPECT_TRUE(lines.empty()) << player.err();
        } else {
            ASSERT_EQ(lines.size(), 1u) << player.err();
            EXPECT_EQ(lines[0].rfind(c.line, 0), 0u) << lines[0];
        }
        EXPECT_EQ(slurp(state), writeBankText(*expected));
    }
    XCloseDisplay(display);
}

} // namespace
