// The top-level frame is a window of its own connection; the form's window is made inside it by
// createFormWindow exactly as a host's window would hold it, so the form behaves the same in both.
#include "editor/x11/top_level_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstring>

#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/x11/display_density.h"
#include "editor/x11/x_error_trap.h"

namespace {

class TopLevelFormWindow : public FormWindow {
  public:
    ~TopLevelFormWindow() override;

    bool create(const char* title, int scale, TForm1& form);
    void show() override;
    void repaintNow() override { inner->repaintNow(); }
    void idle() override;
    bool closed() const override { return userClosed; }
    std::int32_t width() const override { return inner->width(); }
    std::int32_t height() const override { return inner->height(); }

  private:
    void setTitle(const char* title);
    void fixSize(int width, int height);

    Display* display = nullptr;
    Window frame = None;
    Atom deleteWindow = None;
    std::unique_ptr<FormWindow> inner;
    bool userClosed = false;
};

TopLevelFormWindow::~TopLevelFormWindow() {
    inner.reset(); // the form's window and its connection go first
    if (display == nullptr) return;
    {
        XErrorTrap trap(display);
        if (frame != None) XDestroyWindow(display, frame);
    }
    XCloseDisplay(display);
}

bool TopLevelFormWindow::create(const char* title, int scale, TForm1& form) {
    display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XErrorTrap trap(display);
    if (scale == 0) scale = scaleForDpi(displayDpi(display));
    // The form's window is drawn at its own size for now; the frame takes whatever size it has.
    (void)scale;
    const int screen = DefaultScreen(display);
    frame = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kFormWidth, kFormHeight,
                                0, BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, frame, StructureNotifyMask);
    setTitle(title);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, frame, &deleteWindow, 1);
    // The frame exists on the server before the form's own connection makes a child of it.
    XSync(display, False);
    if (trap.failed()) return false;

    inner = createFormWindow(reinterpret_cast<void*>(static_cast<std::uintptr_t>(frame)), form);
    if (inner == nullptr) return false;
    XResizeWindow(display, frame, static_cast<unsigned>(inner->width()),
                  static_cast<unsigned>(inner->height()));
    fixSize(inner->width(), inner->height());
    return !trap.failed();
}

void TopLevelFormWindow::setTitle(const char* title) {
    XStoreName(display, frame, title);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, frame, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
    XClassHint classHint{};
    char name[] = "ulvo-play";
    char className[] = "UlvoDraw";
    classHint.res_name = name;
    classHint.res_class = className;
    XSetClassHint(display, frame, &classHint);
}

// The form has one size: the window manager is asked not to offer any other.
void TopLevelFormWindow::fixSize(int width, int height) {
    XSizeHints* hints = XAllocSizeHints();
    if (hints == nullptr) return;
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, frame, hints);
    XFree(hints);
}

void TopLevelFormWindow::show() {
    inner->show();
    XErrorTrap trap(display);
    XMapRaised(display, frame);
    XFlush(display);
}

void TopLevelFormWindow::idle() {
    {
        XErrorTrap trap(display);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.window == frame &&
                static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                userClosed = true;
            if (event.type == DestroyNotify && event.xdestroywindow.window == frame) {
                frame = None;
                userClosed = true;
            }
        }
    }
    if (!userClosed) inner->idle();
}

} // namespace

std::unique_ptr<FormWindow> createTopLevelFormWindow(const char* title, int scale, TForm1& form) {
    auto window = std::make_unique<TopLevelFormWindow>();
    if (!window->create(title, scale, form)) return nullptr;
    return window;
}
