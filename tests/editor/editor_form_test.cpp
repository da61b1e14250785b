#include "editor/editor_form.h"

#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "host/vst2_recording_host.h"
#include "plugin/vst2/avst_xsynth.h"
#include "plugin/vst2/effect_parameter_link.h"
#include "tests/editor/fake_controls.h"

namespace {

using Report = std::pair<std::int32_t, float>; // parameter index, value sent

// The form as the editor builds it, on a real synthesizer whose host records the automation.
class FormTest : public testing::Test {
  protected:
    FormTest() {
        fakes = attachFakes(form);
        form.FormCreate();
        form.Synth = &link;
        host.calls.clear();
    }

    FakeControl& slider(std::int32_t parameter) {
        return static_cast<FakeControl&>(*form.boundControl(parameter));
    }
    std::vector<Report> reports() const {
        std::vector<Report> found;
        for (const Vst2HostCall& call : host.callsWith(audioMasterAutomate))
            found.emplace_back(call.index, call.opt);
        return found;
    }
    int codeMoves() const {
        int moves = 0;
        for (const auto& fake : fakes)
            moves += fake->codeMoves;
        return moves;
    }

    Vst2RecordingHost host;
    AVstXSynth synth{Vst2RecordingHost::callback, nullptr};
    EffectParameterLink link{&synth};
    TForm1 form;
    std::vector<std::unique_ptr<FakeControl>> fakes;
};

TEST_F(FormTest, FormCreateShowsTheValuesOfTheLayoutPositions) {
    const std::array<float, kParameterCount> expected = {0.1f, 0.1f, 0.5f, 0.1f, 0.5f, 0.0f,
                                                         0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                                                         0.5f, 0.5f, 0.0f, 0.0f};
    EXPECT_EQ(form.ShownValue, expected);
    EXPECT_EQ(form.Tsumami1.Position, 0);
    EXPECT_EQ(form.Tsumami3.Position, 50);
    EXPECT_EQ(form.Tsumami4.Position, 0);
    EXPECT_EQ(form.Tsumami5.Position, 50);
}

TEST_F(FormTest, DefaultProgramMovesNothingAndReportsNothing) {
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_EQ(codeMoves(), 0);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(form.Tsumami3.Position, 50);
}

TEST_F(FormTest, EnvelopeSliderSendsItsValueCountedFromTheTop) {
    slider(Attack).userMove(0);
    slider(Attack).userMove(50);
    slider(Attack).userMove(45);
    EXPECT_EQ(reports(), (std::vector<Report>{{Attack, 1.0f}, {Attack, 0.0f}, {Attack, 0.1f}}));
    EXPECT_EQ(synth.getParameter(Attack), 0.1f);
}

TEST_F(FormTest, UnchangedPositionIsSentAgainOnlyWhenSinglePrecisionCannotHoldIt) {
    slider(Attack).userMove(0); // 1.0
    slider(Attack).userMove(0);
    slider(Attack).userMove(47); // 0.06
    slider(Attack).userMove(47);
    EXPECT_EQ(reports(), (std::vector<Report>{{Attack, 1.0f}, {Attack, 0.06f}, {Attack, 0.06f}}));
}

TEST_F(FormTest, KnobsAndRadioGroupsSendTheirOwnScales) {
    form.Tsumami3.SetPosition(37);
    form.boundControl(Type)->setPosition(1);
    slider(Wave).userMove(2);
    slider(Drawbar16).userMove(3);
    EXPECT_EQ(reports(), (std::vector<Report>{{CutOff, 0.37f},
                                              {Type, 0.5f},
                                              {Wave, static_cast<float>(2.0 / 3.0)},
                                              {Drawbar16, 0.7f}}));
}

TEST_F(FormTest, HostValueOpeningAtCutOff037TurnsTheKnobAndReportsOnce) {
    synth.setParameter(CutOff, 0.37f);
    form.Timer1Timer();
    EXPECT_EQ(form.Tsumami3.Position, 37);
    form.Timer1Timer();
    EXPECT_EQ(reports(), (std::vector<Report>{{CutOff, 0.37f}}));
    EXPECT_EQ(synth.getParameter(CutOff), 0.37f);
}

TEST_F(FormTest, HostValueBetweenStepsIsReplacedOnceByItsQuantisedValue) {
    synth.setParameter(Attack, 0.31f);
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_EQ(slider(Attack).current, 34);
    EXPECT_EQ(reports(), (std::vector<Report>{{Attack, 0.32f}}));
    EXPECT_EQ(synth.getParameter(Attack), 0.32f);
}

TEST_F(FormTest, HostValueOnAnInexactStepIsReportedBackOnceUnchanged) {
    synth.setParameter(Decay, 0.3f);
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_EQ(slider(Decay).current, 35);
    EXPECT_EQ(reports(), (std::vector<Report>{{Decay, 0.3f}}));
}

TEST_F(FormTest, HostValueExactInSinglePrecisionMovesTheControlSilently) {
    synth.setParameter(Sustain, 1.0f);
    synth.setParameter(Type, 0.75f); // round(1.5) = 2: HiPass, whose 1.0 is exact
    synth.setParameter(Q, 0.25f);
    form.Timer1Timer();
    EXPECT_EQ(slider(Sustain).current, 0);
    EXPECT_EQ(slider(Type).current, 2);
    EXPECT_EQ(form.Tsumami4.Position, 25);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(synth.getParameter(Type), 0.75f); // the host's value stays
}

TEST_F(FormTest, HostValueRoundingToTheSelectedItemMovesNothing) {
    synth.setParameter(Type, 0.25f); // round(0.5) = 0: LowPass, selected already
    form.Timer1Timer();
    EXPECT_EQ(codeMoves(), 0);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(synth.getParameter(Type), 0.25f);
}

TEST_F(FormTest, HostWaveHalfSelectsSqrAndSendsTwoThirds) {
    synth.setParameter(Wave, 0.5f);
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_EQ(slider(Wave).current, 2);
    EXPECT_EQ(reports(), (std::vector<Report>{{Wave, static_cast<float>(2.0 / 3.0)}}));
}

TEST_F(FormTest, ProgramChangeIsFollowedWithinOneTick) {
    synth.setProgram(1);
    synth.setParameter(Attack, 1.0f);
    synth.setParameter(Drawbar8, 0.0f);
    form.Timer1Timer();
    EXPECT_EQ(slider(Attack).current, 0);
    EXPECT_EQ(slider(Drawbar8).current, 10);
    synth.setProgram(0);
    form.Timer1Timer();
    EXPECT_EQ(slider(Attack).current, 45);
    EXPECT_EQ(slider(Drawbar8).current, 5);
    // 0.1 is not exact in single precision, so its return is reported once; 0.5 is exact.
    EXPECT_EQ(reports(), (std::vector<Report>{{Attack, 0.1f}}));
}

TEST_F(FormTest, HostValuesOutsideTheRangeLeaveEveryControlInItsRange) {
    synth.setParameter(CutOff, 1.7f);
    synth.setParameter(Smooth, -3.0f);
    synth.setParameter(Attack, 2.0f);
    synth.setParameter(Wave, 9.0f);
    synth.setParameter(Env, std::nanf(""));
    form.Timer1Timer();
    EXPECT_EQ(form.Tsumami3.Position, 100);
    EXPECT_EQ(form.Tsumami1.Position, 0);
    EXPECT_EQ(form.Tsumami5.Position, 0);
    EXPECT_EQ(slider(Attack).current, 0);
    EXPECT_EQ(slider(Wave).current, 3);
    // The ends replace the values the controls cannot show, once. A knob already at its end
    // and NaN (shown as 0, which is exact) send nothing.
    EXPECT_EQ(reports(), (std::vector<Report>{{Attack, 1.0f}, {CutOff, 1.0f}, {Wave, 1.0f}}));
    form.Timer1Timer();
    EXPECT_EQ(reports().size(), 3u);
}

TEST_F(FormTest, ARepaintVisitsTheControlsInLayoutOrderNotIndexOrder) {
    // TrackBar11 (Drawbar3) comes before TrackBar12 (Drawbar6), the knobs between the
    // envelope and the drawbars, Tsumami1 last.
    for (std::int32_t p : {Smooth, Wave, Drawbar6, Drawbar3, Env, CutOff, Attack})
        synth.setParameter(p, 0.33f);
    form.Timer1Timer();
    std::vector<std::int32_t> order;
    for (const Report& report : reports())
        order.push_back(report.first);
    EXPECT_EQ(order,
              (std::vector<std::int32_t>{Attack, CutOff, Env, Drawbar3, Drawbar6, Wave, Smooth}));
}

TEST_F(FormTest, PollParameterOnlyStoresTheQuantisedValue) {
    synth.setParameter(Release, 0.31f);
    synth.setParameter(Q, 0.374f);
    for (std::int32_t p = 0; p < kParameterCount; ++p)
        form.PollParameter(p);
    EXPECT_EQ(codeMoves(), 0);
    EXPECT_EQ(form.Tsumami4.Position, 0);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(form.ShownValue[Release], 0.32f);
    EXPECT_EQ(form.ShownValue[Q], 0.37f);
    EXPECT_EQ(form.ShownValue[Attack], 0.1f); // in step: untouched
}

TEST_F(FormTest, ADraggedKnobIsLeftAloneAndItsNextMoveSendsItsOwnValue) {
    form.Tsumami3.beginDrag({200, 200});
    synth.setParameter(CutOff, 0.9f);
    form.Timer1Timer();
    EXPECT_EQ(form.Tsumami3.Position, 50);
    EXPECT_TRUE(reports().empty());
    form.Tsumami3.dragTo({200, 200});
    EXPECT_EQ(reports(), (std::vector<Report>{{CutOff, 0.5f}}));
    EXPECT_EQ(synth.getParameter(CutOff), 0.5f);
    form.Tsumami3.endDrag();
    form.Timer1Timer();
    EXPECT_EQ(reports().size(), 1u);
}

TEST_F(FormTest, ADragSendsOneReportPerMoveAtInexactPositions) {
    form.Tsumami5.beginDrag({0, 0});
    form.Tsumami5.dragTo({0, -14});  // 57
    form.Tsumami5.dragTo({1, -14});  // still 57
    form.Tsumami5.dragTo({0, -100}); // 100: exact
    form.Tsumami5.dragTo({0, -101});
    form.Tsumami5.endDrag();
    EXPECT_EQ(reports(), (std::vector<Report>{{Env, 0.57f}, {Env, 0.57f}, {Env, 1.0f}}));
}

TEST(FormWithoutBackend, TimerRepaintsThroughTheWindowWhenOneIsAttached) {
    TForm1 form;
    auto fakes = attachFakes(form);
    form.FormCreate();
    int repaints = 0;
    form.RepaintNow = [&] {
        ++repaints;
        form.FormPaint();
    };
    form.Timer1Timer(); // no synthesizer yet: nothing to poll, but the repaint still comes
    EXPECT_EQ(repaints, 1);
}

} // namespace
