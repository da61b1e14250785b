// The choice between the lanes and the reference, per voice: a renderer told that its lanes lack
// a feature renders the voices using it with the reference code and the others in the lanes, to
// the reference render's bits; what a new feature relies on until the lanes render it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "synth/render/render_reference.h"
#include "tests/synth_fast/engine_pair.h"

namespace {

// The voices and values of an instrument (their source, never rendered itself), rendered on two
// copies of the voices: by the reference, and by a renderer whose lanes lack `lacking`.
class RoutedRender {
  public:
    RoutedRender(RenderIsa isa, const Instrument& source, VoiceFeatures lacking)
        : isa(isa), values(EngineProbe::engine(source).values()) {
        for (std::int32_t i = 0; i < kVoiceCount; ++i)
            referenceVoices[i] = EngineProbe::engine(source).voice(i);
        fastVoices = referenceVoices;
        renderer =
            std::make_unique<VoiceRenderer>(fastVoices, values, waveTables(), kLanesLack | lacking);
    }

    ::testing::AssertionResult render(std::int32_t frames) {
        std::vector<float> refLeft(frames, 0.0f), refRight(frames, 0.0f);
        std::vector<float> fastLeft = refLeft, fastRight = refRight;
        referenceRender(referenceVoices, values, waveTables(), refLeft.data(), refRight.data(),
                        frames);
        renderer->render(isa, fastLeft.data(), fastRight.data(), frames, false);
        renderer->syncVoices();
        if (auto r = sameSampleBits("left", refLeft, fastLeft); !r) return r;
        if (auto r = sameSampleBits("right", refRight, fastRight); !r) return r;
        for (std::int32_t i = 0; i < kVoiceCount; ++i)
            if (auto r = sameVoice(i, referenceVoices[i], fastVoices[i]); !r) return r;
        return ::testing::AssertionSuccess();
    }

    // Changes voice `i` in both renders and tells the renderer as the engine does of a new pitch.
    template <class Change> void retune(std::int32_t i, Change change) {
        change(referenceVoices[i]);
        change(fastVoices[i]);
        renderer->takePhaseSteps();
    }

    const FastRenderState& state() const { return renderer->state(); }

  private:
    const RenderIsa isa;
    const EngineValues& values;
    VoiceRing referenceVoices{}, fastVoices{};
    std::unique_ptr<VoiceRenderer> renderer;
};

class VoiceRouting : public ::testing::TestWithParam<RenderIsa> {
  protected:
    void SetUp() override {
        if (!renderIsaSupported(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << renderIsaName(GetParam());
    }
};

// Four voices from the first frame, two of them released at frame 300, and two waiting 40 frames.
void playScheduledNotes(Instrument& source) {
    source.setParameter(Release, 0.5f);
    for (int n = 0; n < 4; ++n)
        source.midiEvent(0x90, static_cast<std::uint8_t>(40 + 5 * n), 100, 0);
    source.midiEvent(0x80, 40, 0, 300);
    source.midiEvent(0x80, 50, 0, 300);
    source.midiEvent(0x90, 70, 90, 40);
    source.midiEvent(0x90, 75, 90, 40);
}

TEST_P(VoiceRouting, VoicesUsingAFeatureTheLanesLackTakeTheReferenceTheOthersTheLanes) {
    Instrument source;
    playScheduledNotes(source);
    RoutedRender routed(GetParam(), source, ScheduledReleaseFeature);
    const FastRenderState& s = routed.state();

    // Two chunks: the released voices alone, the others in the lanes from their first frame.
    ASSERT_TRUE(routed.render(256));
    EXPECT_EQ(s.aloneSamples, 2u * 256u);
    EXPECT_EQ(s.laneSamples, 2u * 256u + 2u * (256u - 40u));
    // The chunk in which the releases begin still goes alone; after it, every voice is in a lane.
    ASSERT_TRUE(routed.render(100));
    EXPECT_EQ(s.aloneSamples, 2u * 356u);
    ASSERT_TRUE(routed.render(256));
    EXPECT_EQ(s.aloneSamples, 2u * 356u);
    EXPECT_EQ(s.laneSamples, 4u * 356u - 2u * 40u + 6u * 256u);
}

// Whatever the lanes lack, in blocks that cut the chunks anywhere.
TEST_P(VoiceRouting, EveryFeatureTheLanesLackGivesTheReferenceBits) {
    for (VoiceFeatures lacking : std::initializer_list<VoiceFeatures>{
             StartDelayFeature, ScheduledReleaseFeature, NaturalCurveFeature,
             CleanOscillatorFeature, VoiceFeatures{~0u}}) {
        Instrument source;
        source.setParameter(Oscillators, CleanOscillators);
        source.setParameter(EnvCurve, NaturalCurve);
        source.setParameter(Attack, 0.02f);
        source.setParameter(Decay, 0.03f);
        playScheduledNotes(source);
        RoutedRender routed(GetParam(), source, lacking);
        for (int frames : {1, 37, 128, 300, 513, 90, 2048})
            ASSERT_TRUE(routed.render(frames)) << "lacking " << lacking << ", " << frames;
        EXPECT_GT(routed.state().aloneSamples, 0u) << "lacking " << lacking;
    }
}

// A change of values that brings a feature the lanes lack into held voices ends their steady
// lanes; once the values no longer use it, the lanes take the voices back. The same for a voice
// whose new pitch brings one in (no feature follows the pitch yet: a change made beside it).
TEST_P(VoiceRouting, ValuesOrAPitchBringingInAFeatureTheLanesLackLeaveTheSteadyLanes) {
    Instrument source;
    source.setParameter(EnvCurve, LinearCurve);
    source.setParameter(Attack, 0.02f);
    source.setParameter(Decay, 0.03f);
    for (int n = 0; n < 5; ++n)
        source.midiEvent(0x90, static_cast<std::uint8_t>(45 + 7 * n), 100, 0);
    RoutedRender routed(GetParam(), source, NaturalCurveFeature | ScheduledReleaseFeature);
    const FastRenderState& s = routed.state();
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(routed.render(512));
    ASSERT_GT(s.steadySamples, 0u);
    ASSERT_EQ(s.aloneSamples, 0u);

    const auto steady = s.steadySamples;
    source.setParameter(EnvCurve, NaturalCurve);
    ASSERT_TRUE(routed.render(64));
    EXPECT_EQ(s.aloneSamples, 5u * 64u);
    EXPECT_EQ(s.steadySamples, steady);

    source.setParameter(EnvCurve, LinearCurve);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(routed.render(64));
    EXPECT_EQ(s.aloneSamples, 5u * 64u);
    EXPECT_GT(s.steadySamples, steady);

    routed.retune(EngineProbe::engine(source).lastVoiceIndex(),
                  [](Voice& v) { v.releaseCountdown = 20; });
    ASSERT_TRUE(routed.render(64));
    EXPECT_EQ(s.aloneSamples, 6u * 64u);
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, VoiceRouting, ::testing::ValuesIn(allRenderIsas()),
                         isaTestName);

} // namespace
