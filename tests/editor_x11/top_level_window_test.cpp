// The form in a top-level window of its own, as a player without a host shows it: its title, its
// size at its scale, and the window manager's close reported; and the factor that the X
// server's density gives.
#include "tests/editor_x11/x_server_fixture.h" // first: gtest before Xlib

#include <X11/Xatom.h>

#include <cstdlib>
#include <string>

#include "editor/editor_form.h"
#include "editor/x11/x11_form_window.h"

namespace {

using TopLevelFormWindow = XServerTest;

TEST_F(TopLevelFormWindow, HasItsTitleItsSizeAtItsScaleAndReportsTheClose) {
    const char* title = "Ulvo DrawBar Synth";
    TForm1 form;
    const auto window = createTopLevelFormWindow(title, 2, form);
    ASSERT_NE(window, nullptr);
    form.FormCreate();
    window->show();
    window->idle();
    XSync(display, False);
    const auto id = static_cast<Window>(window->nativeWindow());

    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(display, id, &root, &parent, &children, &count));
    if (children != nullptr) XFree(children);
    EXPECT_EQ(parent, root);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, id, &attributes);
    EXPECT_EQ(attributes.width, 914);
    EXPECT_EQ(attributes.height, 562);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(window->width(), 914);

    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display, id, &name));
    EXPECT_STREQ(name, title);
    XFree(name);

    // The window manager's close, as it sends it.
    EXPECT_FALSE(window->closeRequested());
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = id;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, id, False, NoEventMask, &close);
    XSync(display, False);
    window->idle();
    EXPECT_TRUE(window->closeRequested());
}

TEST_F(TopLevelFormWindow, TheServersDensityGivesAWholeFactorFromXftDpi) {
    const Window root = DefaultRootWindow(display);
    const struct {
        const char* dpi;
        std::int32_t factor;
    } cases[] = {{"120", 1}, {"144", 2}, {"288", 3}, {"480", 3}};
    for (const auto& c : cases) {
        const std::string resources = std::string("Xft.dpi:\t") + c.dpi + "\n";
        XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
        XSync(display, False);
        EXPECT_EQ(serverScaleFactor(), c.factor) << c.dpi;
    }
    // Without it, the screen's size: Xvfb's 1024 x 768 screen is about 96 dpi. (Xlib would read
    // the user's own resource files instead of the property: none here.)
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
    XSync(display, False);
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", "/nonexistent", 1);
    setenv("XENVIRONMENT", "/nonexistent", 1);
    EXPECT_EQ(serverScaleFactor(), 1);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XENVIRONMENT");
}

} // namespace
