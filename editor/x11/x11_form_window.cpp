// The form's window on X11, on a connection of its own: a borderless child of the host's window
// or a top-level window, drawn by the backend itself into a back buffer (the frames, sliders,
// radio buttons, logo and knobs through the drawn scene, the text through Xft) at a whole scale
// factor and copied to the window. The plug-in has no message loop of its own here: the
// editor's idle handles the window's events and runs the form's 100 ms timer.
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "editor/drawn/form_scale.h"
#include "editor/drawn/form_scene.h"
#include "editor/drawn/system_colours.h"
#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"
#include "editor/x11/form_font.h"
#include "editor/x11/pixel_format.h"
#include "editor/x11/x11_form_window.h"
#include "editor/x11/x_error_trap.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimerPeriod = std::chrono::milliseconds(100);

// The display named by DISPLAY. A server that is busy accepting other connections may refuse one
// for the moment (EAGAIN), and one whose last client just left (the density probe, say) resets
// itself and drops connections meanwhile (ECONNRESET); tries for up to half a second get past
// both, while a missing server fails at once.
Display* openDisplay() {
    constexpr int kTries = 50;
    for (int attempt = 1;; ++attempt) {
        errno = 0;
        if (Display* display = XOpenDisplay(nullptr)) return display;
        if ((errno != EAGAIN && errno != ECONNRESET) || attempt == kTries) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class X11FormWindow : public FormWindow {
  public:
    X11FormWindow(TForm1& form, std::int32_t scale)
        : form(form), scale(std::clamp(scale, 1, kMaxFormScale)) {}
    ~X11FormWindow() override;

    bool createChild(Window parent);
    bool createTopLevel(const char* title);
    void show() override;
    void repaintNow() override;
    void idle() override;
    std::int32_t width() const override { return kFormWidth * scale; }
    std::int32_t height() const override { return formHeight(form.extent()) * scale; }
    bool closeRequested() const override { return closing; }
    bool connectionLost() const override { return lost; }
    std::uintptr_t nativeWindow() const override { return window; }
    int eventDescriptor() const override {
        return display != nullptr && !lost ? ConnectionNumber(display) : -1;
    }

  private:
    // The window on `screen` as a child of `parent`, or top-level with `title` when there is one.
    bool create(Window parent, Screen* screen, const char* title);
    void describeTopLevel(const char* title);
    void handle(const XEvent& event);
    static void onConnectionLost(Display*, void* self);
    void redrawIfChanged();
    void drawBackBuffer();
    void copyToWindow();

    TForm1& form;
    const std::int32_t scale;
    Display* display = nullptr;
    Window window = None; // None again once the host destroyed it with its own window
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = None;
    PixelFormat format{};
    Pixmap backBuffer = None;
    GC gc = nullptr;
    XImage* image = nullptr; // the canvas in the server's pixel format; its bytes are ours
    std::vector<char> imageBytes;
    XftDraw* textDraw = nullptr;
    std::unique_ptr<FormFont> font;
    std::unique_ptr<FormScene> scene;
    std::vector<std::int32_t> drawnState; // what the back buffer shows
    bool grabbing = false;
    Atom deleteWindow = None; // the window manager's close, for a top-level window
    bool closing = false;
    bool lost = false; // the connection is gone: Xlib ignores every further request on it
    Clock::time_point lastTick;
};

X11FormWindow::~X11FormWindow() {
    form.RepaintNow = nullptr;
    if (display == nullptr) return;
    {
        XErrorTrap trap(display);
        if (grabbing) XUngrabPointer(display, CurrentTime);
        scene.reset();
        if (image != nullptr) {
            image->data = nullptr; // imageBytes frees them
            XDestroyImage(image);
        }
        if (textDraw != nullptr) XftDrawDestroy(textDraw);
        font.reset();
        if (gc != nullptr) XFreeGC(display, gc);
        if (backBuffer != None) XFreePixmap(display, backBuffer);
        if (window != None) XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

bool X11FormWindow::createChild(Window parent) {
    display = openDisplay();
    if (display == nullptr) return false;
    XSetIOErrorExitHandler(display, onConnectionLost, this);
    XErrorTrap trap(display);
    XWindowAttributes parentAttributes{};
    if (XGetWindowAttributes(display, parent, &parentAttributes) == 0 || trap.failed())
        return false;
    return create(parent, parentAttributes.screen, nullptr);
}

bool X11FormWindow::createTopLevel(const char* title) {
    display = openDisplay();
    if (display == nullptr) return false;
    XSetIOErrorExitHandler(display, onConnectionLost, this);
    Screen* screen = DefaultScreenOfDisplay(display);
    return create(RootWindowOfScreen(screen), screen, title != nullptr ? title : "");
}

bool X11FormWindow::create(Window parent, Screen* screen, const char* title) {
    // Render's per-connection record first, so that it is closed after Xft's: Xft frees its
    // cached fonts and colours through Render when the connection closes, and a Render record
    // made again at that point would outlive the connection and mislead the next one that
    // malloc places at the same address.
    int renderEvents = 0, renderErrors = 0;
    XRenderQueryExtension(display, &renderEvents, &renderErrors);
    XErrorTrap trap(display);

    // The screen's own visual rather than the parent's, which may carry an alpha channel; with
    // its own colormap the child may differ from its parent in depth.
    visual = DefaultVisualOfScreen(screen);
    depth = DefaultDepthOfScreen(screen);
    colormap = DefaultColormapOfScreen(screen);
    if (visual->c_class != TrueColor) return false;
    format = {visual->red_mask, visual->green_mask, visual->blue_mask};

    const auto w = static_cast<unsigned>(width());
    const auto h = static_cast<unsigned>(height());
    XSetWindowAttributes attributes{};
    attributes.background_pixel = format.pixel(kButtonFace);
    attributes.border_pixel = 0;
    attributes.colormap = colormap;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | StructureNotifyMask;
    window = XCreateWindow(display, parent, 0, 0, w, h, 0, depth, InputOutput, visual,
                           CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (trap.failed()) {
        window = None;
        return false;
    }
    if (title != nullptr)
        describeTopLevel(title);
    else
        XStoreName(display, window, "Form1");

    backBuffer = XCreatePixmap(display, window, w, h, static_cast<unsigned>(depth));
    gc = XCreateGC(display, backBuffer, 0, nullptr);
    image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, w, h,
                         32, 0);
    if (image == nullptr) return false;
    imageBytes.resize(static_cast<std::size_t>(image->bytes_per_line) * h);
    image->data = imageBytes.data();
    textDraw = XftDrawCreate(display, backBuffer, visual, colormap);
    font =
        std::make_unique<FormFont>(display, XScreenNumberOfScreen(screen), visual, colormap, scale);
    scene =
        std::make_unique<FormScene>(form, font->valid() ? font->metrics() : TextMetrics{}, scale);
    if (trap.failed() || textDraw == nullptr) return false;

    form.RepaintNow = [this] { repaintNow(); };
    lastTick = Clock::now();
    drawBackBuffer();
    return !trap.failed();
}

void X11FormWindow::describeTopLevel(const char* title) {
    // The title both as the old Latin-1 name and as UTF-8 for window managers that read that.
    XStoreName(display, window, title);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
    // The layout is fixed: the window manager offers no resizing.
    XSizeHints* size = XAllocSizeHints();
    if (size != nullptr) {
        size->flags = PMinSize | PMaxSize;
        size->min_width = size->max_width = width();
        size->min_height = size->max_height = height();
        XSetWMNormalHints(display, window, size);
        XFree(size);
    }
    XClassHint* names = XAllocClassHint();
    if (names != nullptr) {
        char instanceName[] = "ulvodraw";
        char className[] = "UlvoDraw";
        names->res_name = instanceName;
        names->res_class = className;
        XSetClassHint(display, window, names);
        XFree(names);
    }
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
}

void X11FormWindow::show() {
    if (display == nullptr || window == None) return;
    XErrorTrap trap(display);
    XMapRaised(display, window);
    XFlush(display);
}

void X11FormWindow::repaintNow() {
    if (display == nullptr) return;
    XErrorTrap trap(display);
    form.FormPaint();
    redrawIfChanged();
    XFlush(display);
}

void X11FormWindow::idle() {
    if (display == nullptr || lost) return;
    XErrorTrap trap(display);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
    const Clock::time_point now = Clock::now();
    if (now - lastTick >= kTimerPeriod) {
        lastTick = now; // a late tick is not made up for
        form.Timer1Timer();
    }
    redrawIfChanged();
    XFlush(display);
}

void X11FormWindow::handle(const XEvent& event) {
    if (window == None || event.xany.window != window) return;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) copyToWindow();
        break;
    case ButtonPress:
        if (event.xbutton.button != Button1) break;
        if (scene->press({event.xbutton.x, event.xbutton.y},
                         {event.xbutton.x_root, event.xbutton.y_root})) {
            // The knob's mouse capture: moves and the release come here wherever the pointer
            // goes.
            grabbing = XGrabPointer(display, window, False,
                                    ButtonReleaseMask | ButtonMotionMask | PointerMotionMask,
                                    GrabModeAsync, GrabModeAsync, None, None,
                                    event.xbutton.time) == GrabSuccess;
        }
        break;
    case MotionNotify:
        scene->move({event.xmotion.x, event.xmotion.y},
                    {event.xmotion.x_root, event.xmotion.y_root});
        break;
    case ButtonRelease:
        if (event.xbutton.button != Button1) break;
        scene->release({event.xbutton.x, event.xbutton.y});
        if (grabbing) XUngrabPointer(display, event.xbutton.time);
        grabbing = false;
        break;
    case ClientMessage:
        if (deleteWindow != None && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
            closing = true;
        break;
    case DestroyNotify:
        // Destroyed by another client (xdotool windowclose): a top-level window is closed.
        if (event.xdestroywindow.window != window) break;
        window = None;
        if (deleteWindow != None) closing = true;
        break;
    default:
        break;
    }
}

// [ui thread, inside Xlib] Instead of Xlib's exit: a server that ended or killed the editor's
// connection must not end the program that holds the editor.
void X11FormWindow::onConnectionLost(Display*, void* self) {
    static_cast<X11FormWindow*>(self)->lost = true;
}

void X11FormWindow::redrawIfChanged() {
    if (scene == nullptr || scene->visualState() == drawnState) return;
    drawBackBuffer();
    copyToWindow();
}

void X11FormWindow::drawBackBuffer() {
    const std::int32_t w = width(), h = height();
    RasterCanvas canvas(w, h, kButtonFace);
    scene->paint(canvas);
    const bool direct =
        image->bits_per_pixel == 32 &&
        (image->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const unsigned long pixel = format.pixel(canvas.pixel(x, y));
            if (direct) {
                const auto value = static_cast<std::uint32_t>(pixel);
                std::memcpy(imageBytes.data() + y * image->bytes_per_line + 4 * x, &value, 4);
            } else {
                XPutPixel(image, x, y, pixel);
            }
        }
    XPutImage(display, backBuffer, gc, image, 0, 0, 0, 0, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
    for (const TextRun& run : scene->texts())
        font->draw(textDraw, run);
    drawnState = scene->visualState();
}

void X11FormWindow::copyToWindow() {
    if (window == None) return;
    XCopyArea(display, backBuffer, window, gc, 0, 0, static_cast<unsigned>(width()),
              static_cast<unsigned>(height()), 0, 0);
}

} // namespace

std::unique_ptr<FormWindow> createChildFormWindow(std::uintptr_t parent, std::int32_t scale,
                                                  TForm1& form) {
    const auto parentWindow = static_cast<Window>(parent);
    if (parentWindow == None) return nullptr;
    auto window = std::make_unique<X11FormWindow>(form, scale);
    if (!window->createChild(parentWindow)) return nullptr;
    return window;
}

std::unique_ptr<FormWindow> createTopLevelFormWindow(const char* title, std::int32_t scale,
                                                     TForm1& form) {
    auto window = std::make_unique<X11FormWindow>(form, scale);
    if (!window->createTopLevel(title)) return nullptr;
    return window;
}

std::unique_ptr<FormWindow> createFormWindow(void* parent, TForm1& form) {
    // The host passes its X11 window id as an integer in the pointer.
    return createChildFormWindow(reinterpret_cast<std::uintptr_t>(parent), 1, form);
}
