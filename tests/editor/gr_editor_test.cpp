// The editor object as a host reaches it: through the dispatcher of a real instrument, with the
// headless backend standing in for the window.
#include "plugin/vst2/gr_editor.h"

#include <gtest/gtest.h>

#include "editor/editor_form.h"
#include "host/vst2_recording_host.h"
#include "plugin/vst2/avst_xsynth.h"

namespace {

AEffEditor* makeEditor(AVstXSynth* synth) {
    return new GrEditor(synth);
}

class GrEditorTest : public testing::Test {
  protected:
    ~GrEditorTest() override {
        if (effect != nullptr) dispatch(effClose);
    }

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
        return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
    }
    GrEditor& editor() { return static_cast<GrEditor&>(*synth->getEditor()); }
    std::vector<Vst2HostCall> reports() const { return host.callsWith(audioMasterAutomate); }

    Vst2RecordingHost host;
    AVstXSynth* synth = new AVstXSynth(Vst2RecordingHost::callback, makeEditor);
    AEffect* effect = synth->getAeffect();
    int parentWindow = 0; // any non-null handle will do for the headless backend
};

TEST_F(GrEditorTest, RectIsZeroWhileClosedAndTheFormSizeWhileOpen) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->bottom, 0);
    EXPECT_EQ(rect->right, 0);
    ERect* const published = rect;

    EXPECT_EQ(dispatch(effEditOpen, &parentWindow), 1);
    EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
    EXPECT_EQ(rect, published); // one rectangle, owned by the editor
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 281);
    EXPECT_EQ(rect->right, 457);

    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effEditGetRect, &rect), 1);
    EXPECT_EQ(rect->bottom, 0);
    EXPECT_EQ(rect->right, 0);
}

TEST_F(GrEditorTest, OnlyTheCloseThatBalancesEveryOpenDestroysTheForm) {
    int otherWindow = 0;
    dispatch(effEditOpen, &parentWindow);
    TForm1* form = editor().getForm();
    ASSERT_NE(form, nullptr);
    dispatch(effEditOpen, &otherWindow);
    EXPECT_EQ(editor().getOpenCount(), 2);
    EXPECT_EQ(editor().getForm(), form); // the second open only counts
    EXPECT_EQ(editor().getParentWindow(), &otherWindow);

    dispatch(effEditClose);
    EXPECT_EQ(editor().getForm(), form);
    dispatch(effEditClose);
    EXPECT_EQ(editor().getForm(), nullptr);
    EXPECT_EQ(editor().getParentWindow(), nullptr);
    EXPECT_EQ(editor().getOpenCount(), 0);
}

TEST_F(GrEditorTest, CloseWithoutOpenDoesNothingAndTheNextOpenCreatesTheForm) {
    dispatch(effEditClose);
    dispatch(effEditClose);
    EXPECT_EQ(editor().getOpenCount(), 0);
    EXPECT_EQ(dispatch(effEditOpen, &parentWindow), 1);
    EXPECT_EQ(editor().getOpenCount(), 1);
    EXPECT_NE(editor().getForm(), nullptr);
}

TEST_F(GrEditorTest, OpenWithoutAWindowAnswersZeroAndCreatesNothing) {
    EXPECT_EQ(dispatch(effEditOpen, nullptr), 0);
    EXPECT_EQ(editor().getOpenCount(), 0);
    EXPECT_EQ(editor().getForm(), nullptr);
    ERect* rect = nullptr;
    dispatch(effEditGetRect, &rect);
    EXPECT_EQ(rect->right, 0);
}

TEST_F(GrEditorTest, ClosingThePluginWithTheEditorOpenTwiceDestroysTheFormOnce) {
    dispatch(effEditOpen, &parentWindow);
    dispatch(effEditOpen, &parentWindow);
    dispatch(effClose); // under the sanitizers a double or missing destruction shows here
    effect = nullptr;
}

TEST_F(GrEditorTest, TheFormWritesAndFollowsTheSynthesizerThroughTheHost) {
    dispatch(effEditOpen, &parentWindow);
    TForm1& form = *editor().getForm();
    host.calls.clear();

    form.boundControl(Attack)->setPosition(0);
    EXPECT_EQ(effect->getParameter(effect, Attack), 1.0f);

    effect->setParameter(effect, CutOff, 0.37f);
    form.Timer1Timer();
    EXPECT_EQ(form.Tsumami3.Position, 37);
    const std::vector<Vst2HostCall> sent = reports();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].index, Attack);
    EXPECT_EQ(sent[0].opt, 1.0f);
    EXPECT_EQ(sent[1].index, CutOff);
    EXPECT_EQ(sent[1].opt, 0.37f);
    EXPECT_EQ(sent[1].effect, effect);
}

TEST_F(GrEditorTest, EachOpenStartsFromTheLayoutAndTheFirstTickPullsTheValues) {
    dispatch(effEditOpen, &parentWindow);
    editor().getForm()->boundControl(Sustain)->setPosition(0);
    dispatch(effEditClose);
    dispatch(effEditOpen, &parentWindow);
    TForm1& form = *editor().getForm();
    EXPECT_EQ(form.boundControl(Sustain)->position(), 25);
    EXPECT_EQ(form.ShownValue[Sustain], 0.5f);
    form.Timer1Timer();
    EXPECT_EQ(form.boundControl(Sustain)->position(), 0);
}

TEST_F(GrEditorTest, UpdateRepaintsAtOnceAndIdleOnlyAfterAPostedUpdate) {
    dispatch(effEditOpen, &parentWindow);
    TForm1& form = *editor().getForm();
    form.ShownValue[Decay] = 1.0f;
    dispatch(effEditIdle);
    EXPECT_EQ(form.boundControl(Decay)->position(), 45); // nothing pending: no repaint
    editor().postUpdate();
    dispatch(effEditIdle);
    EXPECT_EQ(form.boundControl(Decay)->position(), 0);
}

TEST(GrEditorClosed, UpdateAndIdleWithoutAFormDoNothing) {
    GrEditor editor(nullptr);
    editor.postUpdate();
    editor.idle();
    editor.update();
    EXPECT_EQ(editor.getForm(), nullptr);
}

} // namespace
