// The LV2 editor as a host runs it, on a virtual X display: found through the bundle with lilv,
// its descriptor loaded with dlopen, embedded in a parent window and driven by the host's idle
// calls; the pointer moved by the server itself (XTest). A slider dragged to its top writes its
// port once; a port value from the host moves the control within two timer ticks; at scale 2
// the form is twice the size with the knob's pixels twice as large and its drag in the form's
// own pixels; twenty opens and closes leak nothing.
#include "tests/editor_x11/x_server_fixture.h" // first: gtest before Xlib

#include <X11/extensions/XTest.h>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/system_colours.h"
#include "editor/drawn/track_bar.h"
#include "editor/form_layout.h"
#include "editor/parameter_binding.h"
#include "editor/tsumami.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "tests/lv2/lv2_host.h"

namespace {

constexpr auto kTimerPeriod = std::chrono::milliseconds(100);

// The UI's library, loaded once and kept, as hosts keep theirs: the font configuration that the
// first form loads lives as long as the process.
const LV2UI_Descriptor* uiDescriptor(const std::string& path) {
    static void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    const auto entry =
        reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    return entry != nullptr ? entry(0) : nullptr;
}

RasterCanvas knobAt(std::int32_t size, std::int32_t position) {
    TTsumami knob;
    knob.SetPosition(position);
    return knobImage(size, size, knob.paintGeometry(size, size));
}

std::int32_t differingPixels(const RasterCanvas& a, const RasterCanvas& b) {
    std::int32_t count = 0;
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

class Lv2UiTest : public XServerTest {
  protected:
    Lv2UiTest() : descriptor(uiDescriptor(plugin.uiBinaryPath(kUiUri))) {}
    ~Lv2UiTest() override { close(); }

    // The host's features, with the scale factor among the options unless it is 0.
    std::vector<const LV2_Feature*> features(Window parent, float scale) {
        scaleFactor = scale;
        options[0] = {LV2_OPTIONS_INSTANCE,
                      0,
                      plugin.map(LV2_UI__scaleFactor),
                      sizeof(float),
                      plugin.map(LV2_ATOM__Float),
                      &scaleFactor};
        options[1] = {};
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(std::uintptr_t{parent})};
        std::vector<const LV2_Feature*> list = {&parentFeature, &resizeFeature, &idleFeature,
                                                &mapFeature};
        if (scale != 0) list.push_back(&optionsFeature);
        list.push_back(nullptr);
        return list;
    }
    LV2UI_Handle instantiate(const std::vector<const LV2_Feature*>& list,
                             const char* pluginUri = kPluginUri) {
        return descriptor->instantiate(descriptor, pluginUri, plugin.bundleUri.c_str(), write, this,
                                       &widget, list.data());
    }
    bool open(float scale = 0) {
        if (descriptor == nullptr) return false;
        ui = instantiate(features(hostWindow, scale));
        if (ui == nullptr) return false;
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        return idleInterface != nullptr;
    }
    void close() {
        if (ui != nullptr) descriptor->cleanup(ui);
        ui = nullptr;
    }
    // `count` idle calls, `ms` apart.
    void idle(int count = 1, int ms = 0) {
        for (int i = 0; i < count; ++i) {
            if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            idleInterface->idle(ui);
        }
        XSync(display, False);
    }
    // Past one period of the form's timer, then an idle: one tick is due.
    void tick() {
        std::this_thread::sleep_for(kTimerPeriod);
        idle();
    }
    void sendPort(std::int32_t parameter, float value) {
        if (isParameterIndex(parameter)) plugin.controls[parameter] = value;
        descriptor->port_event(ui, kFirstParameterPort + parameter, sizeof(float), 0, &value);
    }
    // The left button pressed at `from` and released at `to` (host window pixels), moved there
    // in steps by the server, with idles in between.
    void drag(PixelPoint from, PixelPoint to) {
        constexpr int kSteps = 8;
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, hostWindow, DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
        auto pointerTo = [&](PixelPoint p) {
            XTestFakeMotionEvent(display, -1, x + p.x, y + p.y, CurrentTime);
            idle(2, 5);
        };
        pointerTo(from);
        XTestFakeButtonEvent(display, Button1, True, CurrentTime);
        idle(2, 5);
        for (int i = 1; i <= kSteps; ++i)
            pointerTo(
                {from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
        XTestFakeButtonEvent(display, Button1, False, CurrentTime);
        idle(2, 5);
    }
    std::vector<float> writesTo(std::int32_t parameter) const {
        std::vector<float> values;
        for (const auto& [port, value] : writes)
            if (port == kFirstParameterPort + static_cast<std::uint32_t>(parameter))
                values.push_back(value);
        return values;
    }
    // The form window's size; 0 x 0 without one.
    std::pair<int, int> formSize() {
        XWindowAttributes attributes{};
        const Window form = formWindow();
        if (form != None) XGetWindowAttributes(display, form, &attributes);
        return {attributes.width, attributes.height};
    }

    // As a host does: the value goes to the plug-in's control port.
    static void write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                      std::uint32_t format, const void* buffer) {
        auto& test = *static_cast<Lv2UiTest*>(controller);
        if (format != 0) { // a message to the plug-in: kept whole
            ASSERT_EQ(format, test.plugin.map(LV2_ATOM__eventTransfer));
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            test.messages.push_back({port, std::vector<std::uint8_t>(bytes, bytes + size)});
            return;
        }
        ASSERT_EQ(size, sizeof(float));
        const float value = *static_cast<const float*>(buffer);
        test.writes.emplace_back(port, value);
        // The test's plug-in holds the classic parameters' ports.
        if (port - kFirstParameterPort < test.plugin.controls.size())
            test.plugin.controls[port - kFirstParameterPort] = value;
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height) {
        static_cast<Lv2UiTest*>(handle)->sizes.emplace_back(width, height);
        return 0;
    }

    Lv2Host plugin; // the plug-in, found with its UI through the bundle
    const LV2UI_Descriptor* descriptor;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    std::vector<std::pair<std::uint32_t, float>> writes;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> messages; // atoms by port
    std::vector<std::pair<int, int>> sizes;

    float scaleFactor = 0;
    LV2_Options_Option options[2]{};
    LV2UI_Resize resizer{this, resize};
    LV2_URID_Map map{&plugin, [](LV2_URID_Map_Handle host, const char* uri) {
                         return static_cast<Lv2Host*>(host)->map(uri);
                     }};
    LV2_Feature parentFeature{LV2_UI__parent, nullptr};
    LV2_Feature resizeFeature{LV2_UI__resize, &resizer};
    LV2_Feature idleFeature{LV2_UI__idleInterface, nullptr};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
};

// The classic form with the strip of playing controls below it.
const int kUiHeight = formHeight(FormExtent::WithPlayingStrip);
const ControlRect kTrackBar3 = formRect(*findControl("TrackBar3"));
const ControlRect kTsumami3 = formRect(*findControl("Tsumami3"));

TEST_F(Lv2UiTest, EmbedsInTheParentWritesAMovedSliderOnceAndFollowsThePortsWithinTwoTicks) {
    ASSERT_NE(descriptor, nullptr) << "no UI in the bundle, or its binary does not load";
    EXPECT_EQ(instantiate(features(None, 0)), nullptr) << "opened without a parent";
    EXPECT_EQ(instantiate(features(hostWindow, 0), "urn:another"), nullptr);

    ASSERT_TRUE(open());
    idle(3, 5);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(widget), formWindow());
    EXPECT_EQ(formSize(), std::make_pair(kFormWidth, kUiHeight));
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{kFormWidth, kUiHeight}}));
    saveScreenshot(kFormWidth, kUiHeight, ULVO_SCREENSHOT_DIR "/lv2-ui-scale1.png");
    EXPECT_TRUE(writes.empty()) << "opening on the ports' defaults writes nothing";

    // TrackBar3's thumb, at Attack's default, up past the slider's top.
    const std::int32_t thumbY =
        kTrackBar3.top + 9 +
        kBindings[Attack].positionFor(kParameterDefaults[Attack]) * 94 / kBindings[Attack].steps;
    const PixelPoint grip{kTrackBar3.left + 17, thumbY};
    drag(grip, {grip.x, kTrackBar3.top - 40});
    const std::vector<float> attack = writesTo(Attack);
    ASSERT_FALSE(attack.empty());
    EXPECT_EQ(attack.back(), 1.0f);
    EXPECT_EQ(std::count(attack.begin(), attack.end(), 1.0f), 1);
    EXPECT_EQ(writes.size(), attack.size()) << "only Attack's port";
    EXPECT_EQ(plugin.controls[Attack], 1.0f);

    // The host sends CutOff: the knob shows it after at most two ticks, and nothing is written
    // back.
    writes.clear();
    sendPort(CutOff, 0.37f);
    tick();
    tick();
    EXPECT_EQ(
        differingPixels(readBack(kTsumami3.left, kTsumami3.top, kTsumami3.width, kTsumami3.height),
                        knobAt(kTsumami3.width, 37)),
        0);
    EXPECT_TRUE(writes.empty());

    // Values between a control's positions, as presets hold them: shown at the nearest position,
    // never written back.
    sendPort(Sustain, 0.85f);
    sendPort(Decay, 0.75f);
    sendPort(Drawbar8, 0.55f);
    for (int i = 0; i < 4; ++i)
        tick();
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(plugin.controls[Sustain], 0.85f);
}

TEST_F(Lv2UiTest, AtScaleTwoTheFormAndItsKnobsAreTwiceAsLargeAndTheKnobTurnsInFormPixels) {
    ASSERT_NE(descriptor, nullptr);
    ASSERT_TRUE(open(2.0f));
    idle(3, 5);
    EXPECT_EQ(formSize(), std::make_pair(2 * kFormWidth, 2 * kUiHeight));
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{2 * kFormWidth, 2 * kUiHeight}}));
    // As much as the host's window shows of it.
    saveScreenshot(2 * kFormWidth, std::min(2 * kUiHeight, kHostHeight),
                   ULVO_SCREENSHOT_DIR "/lv2-ui-scale2.png");

    const ControlRect knob{2 * kTsumami3.left, 2 * kTsumami3.top, 2 * kTsumami3.width,
                           2 * kTsumami3.height};
    const std::int32_t start = findControl("Tsumami3")->position;
    auto shownKnob = [&] { return readBack(knob.left, knob.top, knob.width, knob.height); };
    EXPECT_EQ(differingPixels(shownKnob(), knobAt(kTsumami3.width, start).magnified(2)), 0);

    // Twenty window pixels up are ten of the form's, five steps at two pixels a step.
    const PixelPoint centre{knob.left + knob.width / 2, knob.top + knob.height / 2};
    drag(centre, {centre.x, centre.y - 20});
    const std::vector<float> cutOff = writesTo(CutOff);
    ASSERT_FALSE(cutOff.empty());
    EXPECT_EQ(cutOff.back(), static_cast<float>(kBindings[CutOff].valueAt(start + 5)));
    tick();
    EXPECT_EQ(differingPixels(shownKnob(), knobAt(kTsumami3.width, start + 5).magnified(2)), 0);
}

// A slider of the strip as the form draws it at `position`, alone on the form's face.
RasterCanvas stripSlider(const char* name, std::int32_t position) {
    const ControlLayout& row = *findControl(name);
    const ControlRect rect = formRect(row);
    RasterCanvas form(kFormWidth, formHeight(FormExtent::WithPlayingStrip), kButtonFace);
    TrackBar(rect, kBindings[row.parameter].steps, position, row.tickFrequency).paint(form);
    RasterCanvas slider(rect.width, rect.height, kButtonFace);
    for (std::int32_t y = 0; y < rect.height; ++y)
        for (std::int32_t x = 0; x < rect.width; ++x)
            slider.setPixel(x, y, form.pixel(rect.left + x, rect.top + y));
    return slider;
}

TEST_F(Lv2UiTest, TheStripsSlidersFollowTheirPortsAndWriteThemInTheirOwnRange) {
    ASSERT_NE(descriptor, nullptr);
    ASSERT_TRUE(open());
    idle(3, 5);
    const ControlRect depth = formRect(*findControl("DepthSlider"));
    auto shownDepth = [&] { return readBack(depth.left, depth.top, depth.width, depth.height); };
    const std::int32_t start = findControl("DepthSlider")->position;
    EXPECT_EQ(differingPixels(shownDepth(), stripSlider("DepthSlider", start)), 0);

    // 80 cents from the host: the slider shows it within two ticks, and nothing is written.
    sendPort(VibratoDepth, 80.0f);
    tick();
    tick();
    const std::int32_t at80 = kBindings[VibratoDepth].positionFor(80.0f);
    ASSERT_NE(at80, start);
    EXPECT_EQ(differingPixels(shownDepth(), stripSlider("DepthSlider", at80)), 0);
    EXPECT_TRUE(writes.empty());

    // The volume's thumb dragged past the slider's top: +12 dB on the volume's port, once.
    const ControlLayout& volumeRow = *findControl("VolumeSlider");
    const TrackBar volume(formRect(volumeRow), kBindings[Volume].steps, volumeRow.position,
                          volumeRow.tickFrequency);
    const ControlRect thumb = volume.thumb();
    const PixelPoint grip{thumb.left + 7, thumb.top + 4};
    drag(grip, {grip.x, volume.bounds().top - 40});
    const std::vector<float> level = writesTo(Volume);
    ASSERT_FALSE(level.empty());
    EXPECT_EQ(level.back(), kControlRanges[Volume].maximum);
    EXPECT_EQ(std::count(level.begin(), level.end(), level.back()), 1);
    EXPECT_EQ(writes.size(), level.size()) << "only the volume's port";
    for (float value : level)
        EXPECT_TRUE(value >= kControlRanges[Volume].minimum && value <= 12.0f) << value;
}

TEST_F(Lv2UiTest, OpensAndClosesLeaveNoXResourcesAndNoMemory) {
    ASSERT_NE(descriptor, nullptr);
    // What this host records of each open is forgotten, so that only the UI's memory counts.
    expectOpensAndClosesLeakNothing([this] { return open(); }, [this] { idle(3, 5); },
                                    [this] {
                                        close();
                                        messages.clear();
                                        writes.clear();
                                        sizes.clear();
                                    });
}

} // namespace

// The UI asks for the tuning's names as it opens; the plug-in's answer on its notify port shows in
// the strip's line, and the reset button sets both files to none, which takes the plug-in back to
// equal temperament and the line back to what it showed.
TEST_F(Lv2UiTest, TheStripShowsTheTuningThePluginTellsAndItsResetGoesBackToEqualTemperament) {
    ASSERT_NE(descriptor, nullptr);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("lv2-ui-tuning-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string scale = (folder / "just.scl").string();
    std::ofstream(scale) << "! just.scl\nJust intonation\n 2\n 3/2\n 2/1\n";
    const ControlRect line = formRect(*findControl("TuningText"));
    auto shownLine = [&] { return readBack(line.left, line.top, line.width, line.height); };
    // The UI's messages reach the plug-in, and the plug-in's the UI, as a host passes them.
    const auto toPlugin = [&] {
        for (const auto& [port, atom] : messages) {
            EXPECT_EQ(port, kMidiInPort);
            plugin.runObject({atom.begin() + sizeof(LV2_Atom), atom.end()});
        }
        messages.clear();
    };
    const auto toUi = [&] {
        for (const auto& atom : plugin.notifications)
            descriptor->port_event(ui, kNotifyPort, static_cast<std::uint32_t>(atom.size()),
                                   plugin.map(LV2_ATOM__eventTransfer), atom.data());
        plugin.notifications.clear();
        tick();
        tick();
    };

    ASSERT_TRUE(open());
    idle(3, 5);
    const RasterCanvas equal = shownLine();
    plugin.setPath(kScaleUri, scale);
    plugin.notifications.clear();
    ASSERT_EQ(messages.size(), 1u) << "the patch:Get";
    toPlugin();
    EXPECT_EQ(plugin.told[kScaleDescriptionUri], "Just intonation");
    toUi();
    EXPECT_GT(differingPixels(shownLine(), equal), 0);

    const ControlRect button = formRect(*findControl("ResetTuningButton"));
    const PixelPoint middle{button.left + button.width / 2, button.top + button.height / 2};
    drag(middle, middle);
    idle(4, 5); // the release may come after the drag's last idle
    EXPECT_EQ(messages.size(), 2u) << "the scale's and the keymap's";
    EXPECT_TRUE(writes.empty());
    toPlugin();
    std::vector<float> left, right;
    plugin.run(16, {}, left, right);
    EXPECT_EQ(plugin.told[kScaleUri], "");
    EXPECT_EQ(plugin.saveState().count(plugin.map(kStateScaleTextUri)), 0u);
    toUi();
    EXPECT_EQ(differingPixels(shownLine(), equal), 0);
    std::filesystem::remove_all(folder);
}
