// The editor's window over its life: repeated opens and closes leave no X client, window, pixmap,
// graphics context, font or picture behind and no memory; no display, a window id that is no
// window, or a host window destroyed under the form never bring the host down; and nothing runs
// but from the host's idle.
#include "tests/editor_x11/x_display_fixture.h" // first: gtest before Xlib

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "editor/editor_form.h"

namespace {

using EditorWindowLife = XDisplayTest;

TEST_F(EditorWindowLife, OpensAndClosesLeaveNoXResourcesAndNoMemory) {
    // What this host records of each open is forgotten, so that only the editor's memory counts.
    expectOpensAndClosesLeakNothing([this] { return openEditor() == 1; }, [this] { idle(3, 5); },
                                    [this] {
                                        dispatch(effEditClose);
                                        host.calls.clear();
                                    });
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
