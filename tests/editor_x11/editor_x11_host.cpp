// A minimal Linux host for the editor: loads UlvoDraw.so through the host library, opens the
// editor in a top-level X11 window of its own, gives it effEditIdle every 20 ms, records every
// audioMasterAutomate, and carries out commands read from standard input, answering on standard
// output (one line each; times in ms since the latest `set`):
//   editor_x11_host PLUGIN.so
// Commands (coordinates relative to the editor form's top-left corner):
//   rect | open | opennull | close | param I | set I VALUE |
//   knob X Y SIZE | slider X Y STEPS TICKS | radio X Y W H ITEMS TEXTHEIGHT |
//   watch X Y SIZE POSITION | quit
// The probes read the form's pixels back from the X server and name the position whose drawing
// they show.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <sstream>
#include <string>

#include "editor/drawn/classic_look.h"
#include "editor/drawn/radio_group.h"
#include "editor/drawn/system_colours.h"
#include "editor/drawn/track_bar.h"
#include "editor/form_layout.h"
#include "editor/tsumami.h"
#include "editor/x11/pixel_format.h"
#include "host/vst2_library.h"
#include "plugin/vst2/aeffect.h"
#include "tools/common/tool_error.h"

namespace {

using Clock = std::chrono::steady_clock;

Display* display = nullptr;
Window hostWindow = None;
PixelFormat format{};
AEffect* effect = nullptr;
Clock::time_point since = Clock::now();

struct Watch {
    bool active = false;
    int x = 0, y = 0, size = 0, position = 0;
} watch;

double msSinceSet() {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void logLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    std::fflush(stdout);
}

VstIntPtr VSTCALL hostCallback(AEffect* /*from*/, VstInt32 opcode, VstInt32 index,
                               VstIntPtr /*value*/, void* /*ptr*/, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate) logLine("automate %d %.9g %.1f", index, opt, msSinceSet());
    return 0;
}

VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

Window editorForm() {
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    Window form = None;
    if (XQueryTree(display, hostWindow, &root, &parent, &children, &count) && count > 0)
        form = children[0];
    if (children != nullptr) XFree(children);
    return form;
}

void logForm() {
    XSync(display, False);
    const Window form = editorForm();
    if (form == None) {
        logLine("form none");
        return;
    }
    Window root = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, form, &root, &x, &y, &width, &height, &border, &depth);
    int screenX = 0, screenY = 0;
    Window child = None;
    XTranslateCoordinates(display, form, DefaultRootWindow(display), 0, 0, &screenX, &screenY,
                          &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, form, &attributes);
    logLine("form %d %d %u %u at %d %d border %u mapped %d", screenX, screenY, width, height, x, y,
            border, attributes.map_state == IsViewable ? 1 : 0);
}

// Whether the form's pixels at (left, top) show `expected`.
bool shows(int left, int top, const RasterCanvas& expected) {
    XImage* image = XGetImage(display, hostWindow, left, top, expected.width(), expected.height(),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool same = true;
    for (int y = 0; y < expected.height() && same; ++y)
        for (int x = 0; x < expected.width() && same; ++x)
            same = XGetPixel(image, x, y) == format.pixel(expected.pixel(x, y));
    XDestroyImage(image);
    return same;
}

RasterCanvas knobAt(int size, int position) {
    TTsumami knob;
    knob.SetPosition(position);
    return knobImage(size, size, knob.paintGeometry(size, size));
}

int knobShown(int x, int y, int size) {
    for (int p = 0; p <= TTsumami::kMaxPosition; ++p)
        if (shows(x, y, knobAt(size, p))) return p;
    return -1;
}

int sliderShown(int x, int y, int steps, int ticks) {
    for (int n = 0; n <= steps; ++n) {
        RasterCanvas expected(33, 113, kButtonFace);
        TrackBar(ControlRect{0, 0, 33, 113}, steps, n, ticks).paint(expected);
        if (shows(x, y, expected)) return n;
    }
    return -1;
}

int radioShown(int x, int y, int width, int height, int items, int textHeight) {
    const char* const names[] = {"", "", "", ""};
    RadioGroup group(ControlRect{0, 0, width, height}, std::span(names, items), 0, textHeight);
    int checked = -1;
    for (int i = 0; i < items; ++i) {
        const ControlRect box = group.itemBox(i);
        for (bool dot : {false, true}) {
            RasterCanvas expected(kRadioBoxSize, kRadioBoxSize, kButtonFace);
            drawRadioBox(expected, 0, 0, dot);
            if (shows(x + box.left, y + box.top, expected) && dot) {
                if (checked >= 0) return -2; // two checked
                checked = i;
            }
        }
    }
    return checked;
}

bool command(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "rect") {
        ERect* rect = nullptr;
        const VstIntPtr result = dispatch(effEditGetRect, &rect);
        if (rect == nullptr)
            logLine("rect %d null", static_cast<int>(result));
        else
            logLine("rect %d %d %d %d %d", static_cast<int>(result), rect->top, rect->left,
                    rect->bottom, rect->right);
    } else if (verb == "open") {
        logLine("open %d", static_cast<int>(dispatch(
                               effEditOpen, reinterpret_cast<void*>(std::uintptr_t{hostWindow}))));
        logForm();
    } else if (verb == "opennull") {
        logLine("opennull %d", static_cast<int>(dispatch(effEditOpen, nullptr)));
        logForm();
    } else if (verb == "close") {
        dispatch(effEditClose);
        logLine("closed");
        logForm();
    } else if (verb == "param") {
        int index = 0;
        words >> index;
        logLine("param %d %.9g", index, effect->getParameter(effect, index));
    } else if (verb == "set") {
        int index = 0;
        float value = 0;
        words >> index >> value;
        since = Clock::now();
        effect->setParameter(effect, index, value);
        logLine("set %d %.9g", index, value);
    } else if (verb == "knob") {
        int x = 0, y = 0, size = 0;
        words >> x >> y >> size;
        logLine("knob %d", knobShown(x, y, size));
    } else if (verb == "slider") {
        int x = 0, y = 0, steps = 0, ticks = 0;
        words >> x >> y >> steps >> ticks;
        logLine("slider %d", sliderShown(x, y, steps, ticks));
    } else if (verb == "radio") {
        int x = 0, y = 0, width = 0, height = 0, items = 0, textHeight = 0;
        words >> x >> y >> width >> height >> items >> textHeight;
        logLine("radio %d", radioShown(x, y, width, height, items, textHeight));
    } else if (verb == "watch") {
        watch.active = true;
        words >> watch.x >> watch.y >> watch.size >> watch.position;
        logLine("watching");
    } else if (verb == "quit") {
        logLine("quitting");
        return false;
    } else {
        logLine("unknown %s", line.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_x11_host PLUGIN.so\n");
        return 2;
    }
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    std::unique_ptr<Vst2Library> library;
    try {
        library = std::make_unique<Vst2Library>(argv[1]);
    } catch (const ToolError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    effect = library->entry()(hostCallback);
    if (effect == nullptr) {
        std::fprintf(stderr, "no effect\n");
        return 1;
    }

    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    format = {visual->red_mask, visual->green_mask, visual->blue_mask};
    hostWindow =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 520, 340, 0, 0, 0x404040);
    XStoreName(display, hostWindow, "UlvoDraw test host");
    XSelectInput(display, hostWindow, StructureNotifyMask);
    XMapWindow(display, hostWindow);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    logLine("ready");

    std::string pending;
    bool running = true;
    auto nextIdle = Clock::now();
    while (running) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextIdle - Clock::now());
        if (poll(&input, 1, static_cast<int>(std::max<long long>(wait.count(), 0))) > 0) {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) break;
            pending.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t end; running && (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                running = command(line);
            }
        }
        if (Clock::now() >= nextIdle) {
            nextIdle += std::chrono::milliseconds(20);
            dispatch(effEditIdle);
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
            }
            if (watch.active && shows(watch.x, watch.y, knobAt(watch.size, watch.position))) {
                watch.active = false;
                logLine("reached %d %.1f", watch.position, msSinceSet());
            }
        }
    }
    dispatch(effEditClose);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    XDestroyWindow(display, hostWindow);
    XCloseDisplay(display);
    // The library stays loaded to the end, as many hosts keep theirs: the font configuration
    // that its first editor loaded lives as long as the process.
    logLine("done");
    return 0;
}
