// The factor the player's window is drawn at: the nearest whole factor of 96 dpi from 1 to 3,
// from the desktop's Xft.dpi when it publishes one, else from the screen's size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "editor/x11/display_density.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

TEST(DisplayDensity, ScaleIsTheNearestWholeFactorFromOneToThree) {
    const std::pair<double, int> cases[] = {{0.0, 1},   {-96.0, 1}, {NAN, 1},   {72.0, 1},
                                            {96.0, 1},  {143.9, 1}, {144.0, 2}, {192.0, 2},
                                            {239.9, 2}, {240.0, 3}, {288.0, 3}, {1000.0, 3}};
    for (const auto& [dpi, scale] : cases)
        EXPECT_EQ(scaleForDpi(dpi), scale) << dpi;
}

TEST(DisplayDensity, XftDpiFirstThenTheScreensSize) {
    Display* setter = XOpenDisplay(nullptr);
    if (setter == nullptr) GTEST_SKIP() << "no X display";
    const Window root = DefaultRootWindow(setter);
    const Atom resources = XInternAtom(setter, "RESOURCE_MANAGER", False);
    const char text[] = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    XChangeProperty(setter, root, resources, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text),
                    static_cast<int>(std::strlen(text)));
    XSync(setter, False);
    // A connection reads the resources when it opens.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(displayDpi(display), 192.0);
    XCloseDisplay(display);

    XDeleteProperty(setter, root, resources);
    XSync(setter, False);
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const int screen = DefaultScreen(display);
    EXPECT_DOUBLE_EQ(displayDpi(display),
                     DisplayWidth(display, screen) * 25.4 / DisplayWidthMM(display, screen));
    XCloseDisplay(display);
    XCloseDisplay(setter);
}
