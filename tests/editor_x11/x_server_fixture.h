// A test host window on a real X display (with_xvfb.sh gives each run one of its own), for any
// front's editor: the form's window inside it, its pixels read back from the server, and the X
// clients and resources the server counts, to prove that opening and closing leaks nothing.
#pragma once

// Xlib last: its macros (None, Bool, Status, ...) would change what follows.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include "editor/drawn/raster_canvas.h"

#include <X11/Xlib.h>

// Bytes the heap holds now.
std::size_t allocatedBytes();

class XServerTest : public testing::Test {
  protected:
    // Large enough for the form at scale 2.
    static constexpr int kHostWidth = 960;
    static constexpr int kHostHeight = 600;

    XServerTest();
    ~XServerTest() override;

    // The editor's form window inside the host window, or None.
    Window formWindow();
    // The host window's pixels, as 0xRRGGBB.
    RasterCanvas readBack(int left, int top, int width, int height);
    // X clients connected to the server.
    int clientCount();
    // Resources by type of the X client that owns `window`.
    std::map<std::string, int> resourcesOf(Window window);
    // Forty rounds of `open` (true when the form opened), `idle` and `close` after a few first
    // ones: each round adds one client with the same resources, and none of it, nor any memory,
    // stays.
    void expectOpensAndClosesLeakNothing(const std::function<bool()>& open,
                                         const std::function<void()>& idle,
                                         const std::function<void()>& close);
    // Saves what the host window shows at its top-left, `width` x `height`, as a PNG file
    // (written under a temporary name, then renamed).
    void saveScreenshot(int width, int height, const std::string& path);

    Display* display = nullptr;
    Window hostWindow = None;
};
