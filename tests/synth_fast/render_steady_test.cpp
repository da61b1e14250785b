// Held voices whose lanes stay set up from call to call: blocks of every size, adding and
// replacing, with the voices read only now and then; and everything that must end that state
// (MIDI, value changes, another instruction set, the reference render) arriving between calls.
// Each call must match the reference to the bit.
#include <gtest/gtest.h>

#include "tests/synth_fast/engine_pair.h"

namespace {

class SteadyLanes : public ::testing::TestWithParam<RenderIsa> {
  protected:
    void SetUp() override {
        if (!renderIsaSupported(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << renderIsaName(GetParam());
    }

    // Short attack and decay, so that held notes sustain after a few hundred frames.
    static void quickEnvelope(EnginePair& pair) {
        pair.setParameter(Attack, 0.02f);
        pair.setParameter(Decay, 0.03f);
    }

    // A run of calls of many sizes, replacing or adding, into one buffer or two; the voices are
    // compared on every seventh call only, so that steady lanes run ahead of them in between.
    static ::testing::AssertionResult playBlocks(EnginePair& pair, int calls) {
        static const int sizes[] = {1, 2, 3, 4, 5, 16, 31, 32, 64, 127, 128, 129, 300, 2048, 4100};
        for (int i = 0; i < calls; ++i) {
            const int frames = sizes[(i * 7) % std::size(sizes)];
            const bool voices = i % 7 == 6, shared = i % 5 == 4;
            auto r = i % 3 == 0 ? pair.render(frames, {}, shared, voices)
                                : pair.renderReplacing(frames, shared, voices);
            if (!r) return r << " (call " << i << ", " << frames << " frames)";
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(SteadyLanes, HeldChordsThroughBlocksOfEverySize) {
    for (int voices : {1, 2, 3, 5, 8, 13, 16}) {
        EnginePair pair(GetParam());
        quickEnvelope(pair);
        for (int n = 0; n < voices; ++n)
            pair.noteOn(30 + (n * 11) % 70, 20 + 7 * n, n);
        ASSERT_TRUE(playBlocks(pair, 60)) << voices << " voices";
        const FastRenderState& s = pair.fastState();
        EXPECT_GT(s.steadySamples, s.laneSamples / 2) << voices << " voices";
        EXPECT_EQ(s.aloneSamples, 0u);
    }
}

// Every change reaches the next call; the steady lanes resume once all voices sustain again.
TEST_P(SteadyLanes, EventsAndValueChangesBetweenSteadyCalls) {
    EnginePair pair(GetParam());
    quickEnvelope(pair);
    for (int n = 0; n < 6; ++n)
        pair.noteOn(40 + 6 * n, 100);
    ASSERT_TRUE(playBlocks(pair, 20));
    struct Change {
        int index;
        float value;
    };
    // Sustain, cut-off, Q, depth, filter type, smoothing on and off again, wave and a drawbar.
    for (Change c :
         {Change{Sustain, 0.8f}, Change{CutOff, 0.9f}, Change{Q, 0.95f}, Change{Env, 0.0f},
          Change{Type, 1.0f}, Change{Smooth, 0.4f}, Change{Smooth, 0.0f}, Change{Wave, 1.0f},
          Change{Drawbar6, 0.1f}, Change{Sustain, -0.3f}}) {
        pair.setParameter(c.index, c.value);
        ASSERT_TRUE(playBlocks(pair, 9)) << "parameter " << c.index << " at " << c.value;
    }
    const std::uint64_t before = pair.fastState().steadySamples;
    // Twelve more notes: the ring comes round to a held voice and starts it afresh.
    for (int n = 0; n < 12; ++n)
        pair.noteOn(70 + n, 80, 2 * n);
    ASSERT_TRUE(pair.renderReplacing(32, false, false));
    ASSERT_TRUE(playBlocks(pair, 30));
    pair.midi(0xE0, 0, 90); // pitch bend
    ASSERT_TRUE(pair.renderReplacing(16, false, false));
    pair.noteOff(46, 5);     // one voice released inside a small block
    pair.noteOn(90, 64, 20); // and one starting after it, beyond this block
    ASSERT_TRUE(pair.renderReplacing(16, false, false));
    ASSERT_TRUE(playBlocks(pair, 30));
    pair.setRate(48000.0);
    pair.noteOn(30, 90, 3);
    ASSERT_TRUE(playBlocks(pair, 30));
    pair.midi(0xB0, 126, 0); // all voices silent at once
    ASSERT_TRUE(playBlocks(pair, 8));
    EXPECT_GT(pair.fastState().steadySamples, before);
    EXPECT_EQ(EngineProbe::engine(*pair.reference).soundingVoices(), 0);
}

// The vibrato at full wheel and fourteen-bit bends retune held voices at every grid point: the
// lanes take the new steps and stay steady, and every call still matches the reference.
TEST_P(SteadyLanes, VibratoAndBendsKeepTheLanesSteady) {
    EnginePair pair(GetParam());
    quickEnvelope(pair);
    pair.setParameter(VibratoDepth, 100.0f);
    for (int n = 0; n < 7; ++n)
        pair.noteOn(40 + 5 * n, 90);
    pair.both([](Instrument& e) { e.modWheel(127); });
    ASSERT_TRUE(playBlocks(pair, 40));
    for (int bend : {0, 16383, 9001, 8192}) {
        pair.both([&](Instrument& e) { e.bendWheel(static_cast<std::uint16_t>(bend)); });
        ASSERT_TRUE(playBlocks(pair, 15)) << "bend " << bend;
    }
    pair.both([](Instrument& e) { e.modWheel(0); });
    ASSERT_TRUE(playBlocks(pair, 15));
    const FastRenderState& s = pair.fastState();
    EXPECT_GT(s.steadySamples, s.laneSamples * 9 / 10);
}

// The same instrument rendered on other instruction sets and by the reference between calls: each
// leaves the voices where the next call must find them.
TEST_P(SteadyLanes, OtherRendersBetweenSteadyCalls) {
    EnginePair pair(GetParam());
    quickEnvelope(pair);
    for (int n = 0; n < 9; ++n)
        pair.noteOn(35 + 5 * n, 60 + 4 * n);
    ASSERT_TRUE(playBlocks(pair, 12));
    std::vector<float> refLeft(64), refRight(64), left(64), right(64);
    for (int i = 0; i < 40; ++i) {
        EngineProbe::renderReference(*pair.reference, refLeft.data(), refRight.data(), 64);
        if (i % 4 == 3) {
            std::fill(left.begin(), left.end(), 0.0f);
            std::fill(right.begin(), right.end(), 0.0f);
            EngineProbe::renderReference(*pair.fast, left.data(), right.data(), 64);
        } else {
            EngineProbe::renderWith(*pair.fast,
                                    allRenderIsas()[static_cast<std::size_t>(i) % kRenderIsaCount],
                                    left.data(), right.data(), 64, true);
        }
        ASSERT_TRUE(pair.compare(refLeft, refRight, left, right, i % 6 == 5)) << "call " << i;
        std::fill(refLeft.begin(), refLeft.end(), 0.0f);
        std::fill(refRight.begin(), refRight.end(), 0.0f);
    }
    ASSERT_TRUE(playBlocks(pair, 12));
}

// Steady lanes the wide kernel cannot follow, over calls longer than a chunk: a depth above 1
// takes the cut-off coefficient out of its range, and a smoothing of -1 with weights near the
// integer range saturates the filter input (as in FastRenderCorners).
TEST_P(SteadyLanes, LongSteadyCallsOnTheExactKernel) {
    for (bool saturated : {false, true}) {
        EnginePair pair(GetParam());
        pair.setParameter(Attack, 0.0f);
        pair.setParameter(Decay, 0.0f);
        if (saturated) {
            pair.setParameter(Type, 1.0f);
            pair.forceSaturatedInput();
            pair.noteOn(0, 100);
        } else {
            pair.forceEnvDepth(1.5f);
            for (int n = 0; n < 5; ++n)
                pair.noteOn(50 + 8 * n, 110);
        }
        for (int frames : {600, 1000, 333, 4096, 7})
            ASSERT_TRUE(pair.renderReplacing(frames, false, frames == 7)) << saturated;
        EXPECT_GT(pair.fastState().steadySamples, 0u) << saturated;
        EXPECT_GT(pair.fastState().job.exactFrames, 0u) << saturated;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, SteadyLanes, ::testing::ValuesIn(allRenderIsas()),
                         isaTestName);

} // namespace
