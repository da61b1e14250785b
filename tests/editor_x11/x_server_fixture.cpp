#include "tests/editor_x11/x_server_fixture.h"

#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/hardening/realtime_monitor.h"

namespace {

// An 8-bit channel from a pixel value, by its mask.
Rgb channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    return static_cast<Rgb>((((pixel & mask) >> shift) * 255 + top / 2) / top);
}

} // namespace

XServerTest::XServerTest() {
    // Xvfb refuses a connection now and then while it is still taking down the one before
    // (EAGAIN): a few tries.
    for (int attempt = 0; attempt < 5 && display == nullptr; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        display = XOpenDisplay(nullptr);
    }
    if (display == nullptr) {
        ADD_FAILURE() << "no X display: run through with_xvfb.sh";
        return;
    }
    hostWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kHostWidth,
                                     kHostHeight, 0, 0, 0x404040);
    XSelectInput(display, hostWindow, StructureNotifyMask);
    XMapWindow(display, hostWindow);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
}

XServerTest::~XServerTest() {
    if (display != nullptr) {
        XDestroyWindow(display, hostWindow);
        XCloseDisplay(display);
    }
}

Window XServerTest::formWindow() {
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    Window form = None;
    if (XQueryTree(display, hostWindow, &root, &parent, &children, &count) && count > 0)
        form = children[0];
    if (children != nullptr) XFree(children);
    return form;
}

RasterCanvas XServerTest::readBack(int left, int top, int width, int height) {
    RasterCanvas canvas(width, height, 0);
    XImage* image = XGetImage(display, hostWindow, left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        ADD_FAILURE() << "XGetImage failed";
        return canvas;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            canvas.setPixel(x, y,
                            channel(pixel, image->red_mask) << 16 |
                                channel(pixel, image->green_mask) << 8 |
                                channel(pixel, image->blue_mask));
        }
    XDestroyImage(image);
    return canvas;
}

int XServerTest::clientCount() {
    int count = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &count, &clients);
    if (clients != nullptr) XFree(clients);
    return count;
}

std::map<std::string, int> XServerTest::resourcesOf(Window window) {
    std::map<std::string, int> found;
    int count = 0;
    XResClient* clients = nullptr;
    XResQueryClients(display, &count, &clients);
    for (int i = 0; i < count; ++i) {
        if ((window & ~clients[i].resource_mask) != clients[i].resource_base) continue;
        int types = 0;
        XResType* resources = nullptr;
        XResQueryClientResources(display, clients[i].resource_base, &types, &resources);
        for (int t = 0; t < types; ++t) {
            char* name = XGetAtomName(display, resources[t].resource_type);
            found[name] = static_cast<int>(resources[t].count);
            XFree(name);
        }
        if (resources != nullptr) XFree(resources);
    }
    if (clients != nullptr) XFree(clients);
    return found;
}

void XServerTest::expectOpensAndClosesLeakNothing(const std::function<bool()>& open,
                                                  const std::function<void()>& idle,
                                                  const std::function<void()>& close) {
    int major = 0, minor = 0;
    ASSERT_TRUE(XResQueryVersion(display, &major, &minor)) << "the server has no X-Resource";
    // The first opens fill what the process keeps for good (the font configuration, Xlib's
    // caches).
    for (int warmUp = 0; warmUp < 3; ++warmUp) {
        ASSERT_TRUE(open());
        idle();
        close();
    }
    const int clients = clientCount();

    // The heap's growth over each round, counted in live blocks. A cache that fills now and then
    // shows in a few rounds; a leak shows in every one, so the median round holds it and the odd
    // growth does not.
    constexpr int kRounds = 40;
    std::vector<long> growth;
    std::map<std::string, int> first;
    const auto round = [&](int number) {
        ASSERT_TRUE(open()) << number;
        idle();
        XSync(display, False);
        const Window form = formWindow();
        ASSERT_NE(form, None) << number;
        EXPECT_EQ(clientCount(), clients + 1) << number; // one connection of its own
        const std::map<std::string, int> resources = resourcesOf(form);
        if (number == 0) {
            first = resources;
            EXPECT_EQ(first["WINDOW"], 1);
            EXPECT_GE(first["PIXMAP"], 1);
            EXPECT_GE(first["GC"], 1);
        } else {
            EXPECT_EQ(resources, first) << number;
        }
        close();
        XSync(display, False);
        EXPECT_EQ(formWindow(), None) << number;
        EXPECT_EQ(clientCount(), clients) << number; // the connection is closed
    };
    growth.reserve(kRounds);
    for (int number = 0; number < kRounds && !HasFatalFailure(); ++number) {
        const long before = liveHeapBytes();
        round(number);
        growth.push_back(liveHeapBytes() - before);
    }
    ASSERT_EQ(growth.size(), std::size_t{kRounds});
    std::vector<long> sorted = growth;
    std::sort(sorted.begin(), sorted.end());
    const long median = sorted[kRounds / 2];
    long total = 0;
    for (long bytes : growth)
        total += bytes;
    std::printf("heap over %d opens and closes: %+ld bytes, %+ld in the median round\n", kRounds,
                total, median);
    // A leak of a few hundred bytes an open stands far above both; the total also catches one
    // that leaks in some opens only.
    EXPECT_LT(median, 64);
    EXPECT_LT(total, 8 * 1024);
}

void XServerTest::saveScreenshot(int width, int height, const std::string& path) {
    XSync(display, False);
    const std::string temporary = path + ".tmp.png";
    const std::string command = "import -window " + std::to_string(hostWindow) + " -crop " +
                                std::to_string(width) + "x" + std::to_string(height) +
                                "+0+0 +repage '" + temporary + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    ASSERT_FALSE(error) << path << ": " << error.message();
    std::printf("screenshot: %s\n", path.c_str());
}
