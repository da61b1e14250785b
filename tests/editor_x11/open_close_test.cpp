// The editor's window over its life: twenty opens and closes leave no X client, window, pixmap,
// graphics context, font or picture behind and no memory; no display, a window id that is no
// window, or a host window destroyed under the form never bring the host down; and nothing runs
// but from the host's idle.
#include "tests/editor_x11/x_display_fixture.h" // first: gtest before Xlib

#include <X11/extensions/XRes.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
// From the AddressSanitizer runtime (its header does not come with every compiler).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "editor/editor_form.h"

namespace {

std::size_t allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class EditorWindowLife : public XDisplayTest {
  protected:
    int clientCount() {
        int count = 0;
        XResClient* clients = nullptr;
        XResQueryClients(display, &count, &clients);
        if (clients != nullptr) XFree(clients);
        return count;
    }
    // Resources by type of the X client that owns `window`.
    std::map<std::string, int> resourcesOf(Window window) {
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
    void openIdleAndClose() {
        ASSERT_EQ(openEditor(), 1);
        idle(3, 5);
        dispatch(effEditClose);
    }
};

TEST_F(EditorWindowLife, TwentyOpensAndClosesLeaveNoXResourcesAndNoMemory) {
    int major = 0, minor = 0;
    ASSERT_TRUE(XResQueryVersion(display, &major, &minor)) << "the server has no X-Resource";
    openIdleAndClose(); // the first open loads the font configuration once for the process
    const int clients = clientCount();
    const std::size_t memory = allocatedBytes();

    std::map<std::string, int> first;
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(openEditor(), 1) << cycle;
        idle(3, 5);
        const Window form = formWindow();
        ASSERT_NE(form, None) << cycle;
        EXPECT_EQ(clientCount(), clients + 1) << cycle; // one connection of its own
        const std::map<std::string, int> resources = resourcesOf(form);
        if (cycle == 0) {
            first = resources;
            EXPECT_EQ(first["WINDOW"], 1);
            EXPECT_GE(first["PIXMAP"], 1);
            EXPECT_GE(first["GC"], 1);
        } else {
            EXPECT_EQ(resources, first) << cycle;
        }
        dispatch(effEditClose);
        XSync(display, False);
        EXPECT_EQ(formWindow(), None) << cycle;
        EXPECT_EQ(clientCount(), clients) << cycle; // the connection is closed
    }
    const long grown = static_cast<long>(allocatedBytes()) - static_cast<long>(memory);
    std::printf("heap after twenty opens and closes: %+ld bytes\n", grown);
    EXPECT_LT(grown, 16 * 1024);
}

TEST_F(EditorWindowLife, WithoutADisplayTheEditorAnswersZeroAndCreatesNothing) {
    const char* real = std::getenv("DISPLAY");
    ASSERT_NE(real, nullptr);
    const std::string saved = real;
    setenv("DISPLAY", ":4242", 1); // no server there
    EXPECT_EQ(openEditor(), 0);
    setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(editor().getForm(), nullptr);
    EXPECT_EQ(editor().getOpenCount(), 0);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
    EXPECT_EQ(rect->right, 0);
    dispatch(effEditIdle);
    dispatch(effEditClose);
    EXPECT_EQ(editor().getOpenCount(), 0);
}

TEST_F(EditorWindowLife, AWindowIdThatIsNoWindowAnswersZeroAndLeavesNoConnection) {
    const int clients = clientCount();
    EXPECT_EQ(dispatch(effEditOpen, reinterpret_cast<void*>(std::uintptr_t{0x3FFFFF0})), 0);
    EXPECT_EQ(editor().getForm(), nullptr);
    EXPECT_EQ(clientCount(), clients);
    EXPECT_EQ(dispatch(effEditOpen, nullptr), 0);
    // The test's own connection still has its usual error handling and works.
    EXPECT_EQ(openEditor(), 1);
    dispatch(effEditClose);
}

TEST_F(EditorWindowLife, AHostWindowDestroyedUnderTheFormDoesNotBringTheHostDown) {
    ASSERT_EQ(openEditor(), 1);
    idle(2, 5);
    XDestroyWindow(display, hostWindow);
    XSync(display, False);
    hostWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    synth->setParameter(CutOff, 0.25f);
    idle(8, 20); // timer ticks draw and move the knob with no window left
    EXPECT_EQ(editor().getForm()->Tsumami3.Position, 25);
    dispatch(effEditClose);
    EXPECT_EQ(editor().getForm(), nullptr);
}

TEST_F(EditorWindowLife, OnlyTheHostsIdleRunsTheTimerAndTheSecondOpenShowsTheSameForm) {
    ASSERT_EQ(openEditor(), 1);
    idle(1);
    ASSERT_EQ(openEditor(), 1);
    XSync(display, False);
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display, hostWindow, &root, &parent, &children, &count);
    if (children != nullptr) XFree(children);
    EXPECT_EQ(count, 1u);

    host.calls.clear();
    synth->setParameter(CutOff, 0.37f);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty()); // no thread of its own
    EXPECT_EQ(editor().getForm()->Tsumami3.Position, 50);
    idle(1); // the tick is due: one poll and repaint
    const auto reports = host.callsWith(audioMasterAutomate);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].index, CutOff);
    EXPECT_EQ(reports[0].opt, 0.37f);
    EXPECT_EQ(editor().getForm()->Tsumami3.Position, 37);
    idle(1); // not due again yet
    EXPECT_EQ(host.callsWith(audioMasterAutomate).size(), 1u);
    dispatch(effEditClose);
    EXPECT_NE(formWindow(), None);
    dispatch(effEditClose);
    XSync(display, False);
    EXPECT_EQ(formWindow(), None);
}

} // namespace
