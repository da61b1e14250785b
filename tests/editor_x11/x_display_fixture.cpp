#include "tests/editor_x11/x_display_fixture.h"

#include <X11/Xutil.h>

#include <bit>
#include <chrono>
#include <thread>

namespace {

AEffEditor* makeEditor(AVstXSynth* synth) {
    return new GrEditor(synth);
}

// An 8-bit channel from a pixel value, by its mask.
Rgb channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long top = mask >> shift;
    return static_cast<Rgb>((((pixel & mask) >> shift) * 255 + top / 2) / top);
}

} // namespace

XDisplayTest::XDisplayTest() {
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
    hostWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 500, 320, 0, 0,
                                     0x404040);
    XSelectInput(display, hostWindow, StructureNotifyMask);
    XMapWindow(display, hostWindow);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    synth = new AVstXSynth(RecordingHost::callback, makeEditor);
    effect = synth->getAeffect();
}

XDisplayTest::~XDisplayTest() {
    if (effect != nullptr) dispatch(effClose);
    if (display != nullptr) {
        XDestroyWindow(display, hostWindow);
        XCloseDisplay(display);
    }
}

VstIntPtr XDisplayTest::dispatch(VstInt32 opcode, void* ptr) {
    if (effect == nullptr) return 0; // no display: the constructor has failed the test
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

VstIntPtr XDisplayTest::openEditor() {
    return dispatch(effEditOpen, reinterpret_cast<void*>(static_cast<std::uintptr_t>(hostWindow)));
}

GrEditor& XDisplayTest::editor() {
    return static_cast<GrEditor&>(*synth->getEditor());
}

void XDisplayTest::idle(int count, int ms) {
    for (int i = 0; i < count; ++i) {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        dispatch(effEditIdle);
    }
    XSync(display, False);
}

Window XDisplayTest::formWindow() {
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    Window form = None;
    if (XQueryTree(display, hostWindow, &root, &parent, &children, &count) && count > 0)
        form = children[0];
    if (children != nullptr) XFree(children);
    return form;
}

RasterCanvas XDisplayTest::readBack(int left, int top, int width, int height) {
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
