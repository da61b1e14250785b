// The CLAP editor as a host runs it, on a virtual X display: created for X11, scaled, embedded in
// the host's window and driven only by the host's timer and its watch on the X connection, as a
// host's reactor calls them; the pointer moved by the server itself (XTest). A slider moved by
// the user reaches the host as a parameter event at its next flush; a value the host sets shows
// on its knob within two ticks of the form's timer; repeated opens and closes leak nothing.
#include "tests/editor_x11/x_server_fixture.h" // first: gtest before Xlib

#include <X11/extensions/XTest.h>
#include <poll.h>

#include <chrono>
#include <thread>
#include <utility>

#include "editor/drawn/classic_look.h"
#include "editor/form_layout.h"
#include "editor/parameter_binding.h"
#include "editor/tsumami.h"
#include "tests/clap/clap_host.h"

namespace {

// The CLAP editor is the classic form with the strip of playing controls below it.
const std::int32_t kStripFormHeight = formHeight(FormExtent::WithPlayingStrip);

using Clock = std::chrono::steady_clock;

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

class ClapGuiTest : public XServerTest {
  protected:
    ~ClapGuiTest() override { close(); }

    bool open(double scale = 1.0) {
        if (!host.loaded() || host.gui == nullptr) return false;
        if (!host.gui->create(host.plugin, "x11", false)) return false;
        host.gui->setScale(host.plugin, scale);
        clap::Window parent{};
        parent.api = "x11";
        parent.x11 = hostWindow;
        if (!host.gui->setParent(host.plugin, &parent) || !host.gui->show(host.plugin)) {
            close();
            return false;
        }
        opened = true;
        return true;
    }
    void close() {
        if (opened) host.gui->destroy(host.plugin);
        opened = false;
    }
    std::pair<std::uint32_t, std::uint32_t> reportedSize() {
        std::uint32_t width = 0, height = 0;
        host.gui->getSize(host.plugin, &width, &height);
        return {width, height};
    }
    std::pair<int, int> formSize() {
        XWindowAttributes attributes{};
        const Window form = formWindow();
        if (form != None) XGetWindowAttributes(display, form, &attributes);
        return {attributes.width, attributes.height};
    }
    // The host's reactor for `ms` milliseconds: the editor is called when its connection turns
    // readable, and on every period of its timer.
    void serve(int ms) {
        XSync(display, False);
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        auto nextTick = Clock::now();
        while (Clock::now() < end) {
            pollfd watched{host.log().fdsRegistered.empty() ? -1 : host.log().fdsRegistered.back(),
                           POLLIN, 0};
            if (poll(&watched, 1, 5) > 0 && (watched.revents & POLLIN) != 0)
                host.fdSupport->onFd(host.plugin, watched.fd, clap::kPosixFdRead);
            if (Clock::now() >= nextTick) {
                host.timerSupport->onTimer(host.plugin, 100);
                nextTick += std::chrono::milliseconds(host.log().timerPeriods.back());
            }
        }
        XSync(display, False);
    }
    void drag(PixelPoint from, PixelPoint to) {
        constexpr int kSteps = 8;
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, hostWindow, DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
        auto pointerTo = [&](PixelPoint p) {
            XTestFakeMotionEvent(display, -1, x + p.x, y + p.y, CurrentTime);
            serve(10);
        };
        pointerTo(from);
        XTestFakeButtonEvent(display, Button1, True, CurrentTime);
        serve(10);
        for (int i = 1; i <= kSteps; ++i)
            pointerTo(
                {from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
        XTestFakeButtonEvent(display, Button1, False, CurrentTime);
        serve(10);
    }

    ClapHost host;
    bool opened = false;
};

const ControlRect kTrackBar3 = formRect(*findControl("TrackBar3"));
const ControlRect kTsumami3 = formRect(*findControl("Tsumami3"));

TEST_F(ClapGuiTest, EmbedsAtTheHostsScaleAndPassesTheUsersChangesToTheHostAsParameterEvents) {
    ASSERT_TRUE(host.loaded());
    ASSERT_NE(host.gui, nullptr);
    ASSERT_NE(host.timerSupport, nullptr);
    ASSERT_NE(host.fdSupport, nullptr);
    EXPECT_FALSE(host.gui->isApiSupported(host.plugin, "x11", true)) << "embedded only";
    EXPECT_FALSE(host.gui->create(host.plugin, "win32", false));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(host.gui->getPreferredApi(host.plugin, &api, &floating));
    EXPECT_STREQ(api, "x11");
    EXPECT_FALSE(floating);

    ASSERT_TRUE(host.gui->create(host.plugin, "x11", false));
    EXPECT_FALSE(host.gui->create(host.plugin, "x11", false)) << "one editor at a time";
    EXPECT_FALSE(host.gui->canResize(host.plugin));
    clap::GuiResizeHints hints{true, true, true, 1, 1};
    EXPECT_TRUE(host.gui->getResizeHints(host.plugin, &hints));
    EXPECT_FALSE(hints.canResizeHorizontally || hints.canResizeVertically);
    EXPECT_TRUE(host.gui->setScale(host.plugin, 1.6));
    EXPECT_EQ(reportedSize(), std::make_pair(2u * kFormWidth, 2u * kStripFormHeight));
    EXPECT_TRUE(host.gui->setScale(host.plugin, 1.2));
    EXPECT_EQ(reportedSize(), std::make_pair(1u * kFormWidth, 1u * kStripFormHeight));
    host.gui->destroy(host.plugin);
    EXPECT_TRUE(host.log().timerPeriods.empty()) << "nothing is watched before the window exists";

    ASSERT_TRUE(open(1.2));
    ASSERT_EQ(host.log().timerPeriods.size(), 1u);
    ASSERT_EQ(host.log().fdsRegistered.size(), 1u);
    EXPECT_GE(host.log().fdsRegistered[0], 0);
    EXPECT_FALSE(host.gui->setScale(host.plugin, 2.0)) << "the window has its size";
    serve(50);
    EXPECT_NE(formWindow(), static_cast<Window>(None));
    EXPECT_EQ(formSize(), std::make_pair(kFormWidth, kStripFormHeight));
    EXPECT_TRUE(host.log().resizeRequests.empty()) << "the size announced is the size it has";
    saveScreenshot(kFormWidth, kStripFormHeight, ULVO_SCREENSHOT_DIR "/clap-gui-scale1.png");
    EXPECT_EQ(host.log().flushRequests, 0) << "opening writes nothing";

    // TrackBar3's thumb, at Attack's default, up past the slider's top.
    const std::int32_t thumbY =
        kTrackBar3.top + 9 +
        kBindings[Attack].positionFor(kParameterDefaults[Attack]) * 94 / kBindings[Attack].steps;
    const PixelPoint grip{kTrackBar3.left + 17, thumbY};
    drag(grip, {grip.x, kTrackBar3.top - 40});
    EXPECT_GT(host.log().flushRequests, 0);
    EXPECT_TRUE(host.log().sent.empty()) << "the host hears of it at its flush";
    host.flush(ClapEventList());
    ASSERT_FALSE(host.log().sent.empty());
    EXPECT_EQ(host.log().sent.back(), std::make_pair(clap::Id{Attack}, 1.0));
    for (const auto& [id, value] : host.log().sent)
        EXPECT_EQ(id, clap::Id{Attack}) << "only Attack moved";
    EXPECT_EQ(host.value(Attack), 1.0);

    // The host sets CutOff: the knob shows it within two ticks, and nothing goes back.
    host.log().sent.clear();
    const int flushes = host.log().flushRequests;
    ClapEventList cutOff;
    cutOff.param(0, CutOff, 0.37);
    host.flush(cutOff);
    serve(250);
    EXPECT_EQ(
        differingPixels(readBack(kTsumami3.left, kTsumami3.top, kTsumami3.width, kTsumami3.height),
                        knobAt(kTsumami3.width, 37)),
        0);
    EXPECT_EQ(host.log().flushRequests, flushes);
    EXPECT_TRUE(host.log().sent.empty());

    const int descriptor = host.log().fdsRegistered[0];
    close();
    EXPECT_EQ(host.log().timersUnregistered, std::vector<clap::Id>{100});
    EXPECT_EQ(host.log().fdsUnregistered, std::vector<int>{descriptor});
}

TEST_F(ClapGuiTest, AtScaleTwoTheFormIsTwiceAsLarge) {
    ASSERT_TRUE(open(2.0));
    serve(50);
    EXPECT_EQ(reportedSize(), std::make_pair(2u * kFormWidth, 2u * kStripFormHeight));
    EXPECT_EQ(formSize(), std::make_pair(2 * kFormWidth, 2 * kStripFormHeight));
    saveScreenshot(2 * kFormWidth, 2 * kStripFormHeight,
                   ULVO_SCREENSHOT_DIR "/clap-gui-scale2.png");
    const std::int32_t start = findControl("Tsumami3")->position;
    EXPECT_EQ(differingPixels(readBack(2 * kTsumami3.left, 2 * kTsumami3.top, 2 * kTsumami3.width,
                                       2 * kTsumami3.height),
                              knobAt(kTsumami3.width, start).magnified(2)),
              0);
}

TEST_F(ClapGuiTest, OpensAndClosesLeaveNoXResourcesAndNoMemory) {
    ASSERT_TRUE(host.loaded());
    // What this host records of each open is forgotten, so that only the editor's memory counts.
    expectOpensAndClosesLeakNothing([this] { return open(); }, [this] { serve(20); },
                                    [this] {
                                        close();
                                        host.log().timerPeriods.clear();
                                        host.log().timersUnregistered.clear();
                                        host.log().fdsRegistered.clear();
                                        host.log().fdsUnregistered.clear();
                                        host.log().resizeRequests.clear();
                                    });
}

} // namespace
