// ulvo-play with its editor window, on a virtual X display of its own (with_xvfb.sh) beside a
// private JACK server (with_jack.sh): a preset whose values fall between the controls' steps is
// saved exactly as the preset says however the player ends, whether by SIGTERM, by another client
// destroying its window, or by the X server killing its connection; a keyboard's program change
// moves the window's program chooser.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <sstream>
#include <thread>
#include <utility>

#include "editor/drawn/system_colours.h"
#include "editor/form_layout.h"
#include "editor/parameter_binding.h"
#include "synth/bank_text.h"
#include "synth/instrument.h"
#include "synth/preset_text.h"
#include "tests/play/factory_bank.h"
#include "tests/play/jack_probe.h"
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

// The window's pixel at (x, y) as 0xRRGGBB, on a TrueColor screen.
std::uint32_t windowPixel(Display* display, Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFFu;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    const auto channel = [pixel](unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        return static_cast<std::uint32_t>((pixel >> shift) & 0xFF);
    };
    const std::uint32_t rgb = channel(image->red_mask) << 16 | channel(image->green_mask) << 8 |
                              channel(image->blue_mask);
    XDestroyImage(image);
    return rgb;
}

// A point of the chooser's list item `index` on the window at scale 1, on its top row, above the
// letters of its name: the highlight's colour there, or the list's white.
std::pair<int, int> itemBackground(std::int32_t index) {
    const ControlRect list = formRect(*findControl("ProgramList"));
    const int width = (list.width - 4) / kChooserColumns;
    return {list.left + 2 + index / kChooserRows * width + width / 2,
            list.top + 2 + index % kChooserRows * kChooserItemHeight};
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

TEST(UlvoPlayWindow, AKeyboardsProgramChangeMovesTheChooserAndTheStateKeepsIt) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    TempFolder folder;
    const std::string state = folder.path("state");
    PlayerProcess player(
        {"--no-connect", "--name", "chooser-player", "--state", state, "--scale", "1"},
        folder.path(""), {"HOME=" + folder.path("home"), "XDG_CONFIG_HOME=" + folder.path("xdg")});
    ASSERT_TRUE(player.waitForOutput("ulvo-play: playing as")) << player.err();
    const Window window = playerWindow(display);
    ASSERT_NE(window, None);
    const auto highlighted = [&](std::int32_t item) {
        const auto [x, y] = itemBackground(item);
        return windowPixel(display, window, x, y) == kHighlight;
    };
    // Waits out the form's polls for the list to show `item` alone.
    const auto showsOnly = [&](std::int32_t item) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (highlighted(item) && !highlighted(item == 0 ? 1 : 0)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    EXPECT_TRUE(showsOnly(0)) << "a fresh player starts on program 0";

    JackProbe probe;
    ASSERT_TRUE(
        probe.plugInto("chooser-player:midi_in", "chooser-player:draw_1", "chooser-player:draw_2"));
    probe.play({{0, {0xC5, 17}}}, 256, JackProbe::Pace::Freewheel);
    EXPECT_TRUE(showsOnly(17));
    EXPECT_EQ(player.stop(SIGTERM), 0) << player.err();

    auto expected = std::make_unique<Instrument>();
    loadFactoryBank(*expected, slurp(ULVO_FACTORY_PRESETS));
    expected->selectProgram(17);
    EXPECT_EQ(slurp(state), writeBankText(*expected));
    XCloseDisplay(display);
}

} // namespace
