// Scenarios that put the fast render's seams to work: chunk and block edges, voices that start
// or end inside a chunk, every lane group full, the saturations, and the values that send a
// voice back to the reference arithmetic. Each must match the reference to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <random>

#include "tests/synth_fast/engine_pair.h"

namespace {

class FastRenderCorners : public ::testing::TestWithParam<RenderIsa> {
  protected:
    void SetUp() override {
        if (!renderIsaSupported(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << renderIsaName(GetParam());
    }
};

TEST_P(FastRenderCorners, StartDelaysAcrossChunkAndBlockEdges) {
    for (int block : {100, 128, 129, 512}) {
        EnginePair pair(GetParam());
        const int deltas[] = {0, 1, 126, 127, 128, 129, 255, 256, 300, 511, 512, 1000};
        int note = 40;
        for (int delta : deltas)
            pair.noteOn(note++, 90, delta);
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(pair.render(block)) << "block size " << block;
        EXPECT_EQ(pair.fastState().aloneSamples, 0u);
    }
}

TEST_P(FastRenderCorners, ReleasesAndVoiceEndsInsideChunks) {
    EnginePair pair(GetParam());
    pair.setParameter(Release, 0.0f); // ten samples
    pair.setParameter(Attack, 0.0f);
    pair.setParameter(Decay, 0.0f);
    int note = 30;
    for (int off : {0, 1, 5, 126, 127, 128, 129, 130, 200, 255, 256, 257}) {
        pair.noteOn(note, 100, 3);
        pair.noteOff(note, off);
        ++note;
    }
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(pair.render(97));
    EXPECT_EQ(EngineProbe::engine(*pair.reference).soundingVoices(), 0);
    EXPECT_EQ(pair.fastState().aloneSamples, 0u);
}

TEST_P(FastRenderCorners, SeventeenSoundingVoicesFillEveryLaneGroup) {
    EnginePair pair(GetParam());
    pair.setParameter(Release, 1.0f); // the released voice still sounds when all 16 others do
    int most = 0;
    for (int i = 0; i < 40; ++i) {
        pair.noteOn(36 + i % 50, 1 + (i * 37) % 127, i % 5);
        ASSERT_TRUE(pair.render(64 + i));
        most = std::max(most, EngineProbe::engine(*pair.reference).soundingVoices());
    }
    EXPECT_EQ(most, kVoiceCount);
}

TEST_P(FastRenderCorners, EveryWaveFilterModeAndSmoothing) {
    for (float wave : {0.0f, 1.0f / 3, 2.0f / 3, 1.0f})
        for (float type : {0.0f, 0.5f, 1.0f, 1.5f})
            for (float smooth : {0.0f, 0.3f, 1.0f}) {
                EnginePair pair(GetParam());
                pair.setParameter(Wave, wave);
                pair.setParameter(Type, type);
                pair.setParameter(Smooth, smooth);
                pair.setParameter(Q, 1.0f);
                for (int n = 0; n < 5; ++n)
                    pair.noteOn(30 + 17 * n, 60 + 10 * n, 9 * n);
                ASSERT_TRUE(pair.render(300)) << wave << " " << type << " " << smooth;
                pair.noteOff(47);
                ASSERT_TRUE(pair.render(301)) << wave << " " << type << " " << smooth;
            }
}

TEST_P(FastRenderCorners, AddsIntoExistingSignalAndIntoOneSharedBuffer) {
    EnginePair pair(GetParam());
    for (int n = 0; n < 6; ++n)
        pair.noteOn(50 + n, 100, 37 * n);
    std::vector<float> signal(500);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = i % 3 == 0 ? -0.0f : std::sin(static_cast<float>(i)) * 0.5f;
    ASSERT_TRUE(pair.render(500, signal));
    ASSERT_TRUE(pair.render(500, signal, true));
    pair.noteOff(52, 3);
    ASSERT_TRUE(pair.render(333, signal, true));
}

TEST_P(FastRenderCorners, DrawbarAndWaveChangesBetweenBlocksTakeEffect) {
    EnginePair pair(GetParam());
    for (int n = 0; n < 8; ++n)
        pair.noteOn(40 + 5 * n, 100);
    for (int step = 0; step < 20; ++step) {
        pair.setParameter(Drawbar2 + step % 6, static_cast<float>(step % 7) / 6);
        if (step % 5 == 0) pair.setParameter(Wave, static_cast<float>(step % 4) / 3);
        ASSERT_TRUE(pair.render(150)) << "step " << step;
    }
}

// A smoothing of -1 lets the smoothed value grow past the integer range, where the rounding
// saturates at both ends; huge weights make the oscillator wrap (no parameter gives either). Both
// are left to the exact filter kernel, since the wide one cannot follow the int32 range. The
// Classic tables: Clean ones leave such high notes silent.
TEST_P(FastRenderCorners, ValuesBeyondTheIntegerRangeSaturateAndWrap) {
    EnginePair pair(GetParam());
    pair.setParameter(Oscillators, ClassicOscillators);
    pair.setRate(25088.0); // high notes then step about half the table per sample
    pair.setParameter(Wave, 2.0f / 3);
    pair.forceValues([](EngineValues& v) { v.smoothing.store(-1.0f); });
    for (int note = 120; note < 128; ++note)
        pair.noteOn(note, 127, note - 120);
    float highest = 0, lowest = 0;
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(pair.render(64));
        for (int v = 0; v < kVoiceCount; ++v) {
            highest = std::max(highest, EngineProbe::engine(*pair.reference).voice(v).smoothed);
            lowest = std::min(lowest, EngineProbe::engine(*pair.reference).voice(v).smoothed);
        }
    }
    EXPECT_GT(highest, 2147483648.0f);
    EXPECT_LT(lowest, -2147483648.0f);
    EXPECT_EQ(pair.fastState().aloneSamples, 0u);
    EXPECT_GT(pair.fastState().job.exactFrames, 0u);

    pair.setParameter(Smooth, 0.0f);
    pair.setParameter(Q, 0.0f);
    for (std::int32_t weight : {INT32_MAX, INT32_MIN, 700, -2500})
        for (int k = 0; k < kHarmonicBlocks; ++k) {
            pair.forceValues([&](EngineValues& v) { v.harmonicWeight[k].store(weight / (k + 1)); });
            ASSERT_TRUE(pair.render(61)) << weight << " block " << k;
        }
}

// Note 0 leaves the filter's coefficient at 0, so its states stay put while the high-pass passes
// the rounded smoothed value itself; with a smoothing of -1 and weights near the integer range
// that value saturates while nothing else grows, and the wide kernel must notice from it alone.
TEST_P(FastRenderCorners, SaturatedFilterInputAloneSendsTheRunToTheExactKernel) {
    EnginePair pair(GetParam());
    pair.setParameter(Type, 1.0f);
    pair.forceSaturatedInput();
    pair.noteOn(0, 100);
    ASSERT_TRUE(pair.render(600));
    EXPECT_EQ(EngineProbe::engine(*pair.reference).voice(1).bandState, 0);
    EXPECT_GT(pair.fastState().job.exactFrames, 0u);
    EXPECT_EQ(pair.fastState().aloneSamples, 0u);
}

// Each filter output through both filter kernels: a depth above 1 (which no parameter gives)
// lets the cut-off coefficient leave [0, 0.785], which only the exact kernel takes.
TEST_P(FastRenderCorners, EveryFilterModeThroughBothFilterKernels) {
    for (float depth : {0.5f, 1.5f})
        for (float type : {0.0f, 0.5f, 1.0f, 1.5f})
            for (float smooth : {0.0f, 0.6f}) {
                EnginePair pair(GetParam());
                pair.forceEnvDepth(depth);
                pair.setParameter(Type, type);
                pair.setParameter(Smooth, smooth);
                pair.setParameter(Sustain, 0.2f);
                for (int n = 0; n < 6; ++n)
                    pair.noteOn(40 + 9 * n, 50 + 12 * n, 5 * n);
                ASSERT_TRUE(pair.render(500)) << depth << " " << type << " " << smooth;
                pair.noteOff(49, 10);
                ASSERT_TRUE(pair.render(300)) << depth << " " << type << " " << smooth;
                const std::uint64_t exact = pair.fastState().job.exactFrames;
                EXPECT_TRUE(depth > 1.0f ? exact > 0 : exact == 0) << depth << " " << type;
                EXPECT_EQ(pair.fastState().aloneSamples, 0u);
            }
}

// Up to four voices run the fused filter where the instruction set has it, as long as its values
// stay small enough for exact products. A loud resonant voice grows past that: its runs move to
// the wide kernel, and once the sound is quiet again they come back.
TEST_P(FastRenderCorners, LoudFewVoicesLeaveTheFusedFilterAndReturn) {
    const bool fusing = GetParam() != RenderIsa::Sse2;
    // The classic rule: loading full drawbars over the defaults leaves the early ones the heavier
    // weights of their moment, which drive the band-pass state past 2^29.
    EnginePair pair(GetParam(), DrawbarRule::Classic);
    const auto fused = [&] { return pair.fastState().job.fusedFrames; };
    pair.noteOn(45, 90);
    pair.noteOn(57, 60, 3);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(pair.render(200)) << i;
    EXPECT_EQ(fused() > 0, fusing);

    std::array<float, kControlCount> loud = kParameterDefaults;
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        loud[k] = 1.0f;
    loud[Q] = 1.0f;
    loud[Type] = 0.5f;
    pair.loadValues(loud);
    pair.noteOn(78, 127); // its band-pass state passes 2^29 after some 8700 frames
    std::int64_t largest = 0;
    bool paused = false;
    for (int i = 0; i < 160; ++i) {
        ASSERT_TRUE(pair.render(64)) << i;
        for (int v = 0; v < kVoiceCount; ++v)
            largest = std::max<std::int64_t>(
                largest, std::abs(std::int64_t{EnginePair::voice(*pair.reference, v).bandState}));
        paused = paused || pair.fastState().job.fusedPause > 0;
    }
    EXPECT_GT(largest, std::int64_t{1} << 29);
    EXPECT_EQ(paused, fusing);
    EXPECT_EQ(pair.fastState().job.exactFrames, 0u);

    pair.midi(0xB0, 123, 0);
    pair.loadValues(kParameterDefaults);
    ASSERT_TRUE(pair.render(4000));
    const std::uint64_t before = fused();
    pair.noteOn(60, 80);
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(pair.render(128)) << i;
    EXPECT_EQ(fused() > before, fusing);
}

// Parameters outside 0..1 are held in range and stay on the lanes; derived values that only a
// direct write reaches send the voices to the reference arithmetic.
TEST_P(FastRenderCorners, ValuesOutsideTheLaneRangesUseTheReferenceArithmetic) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        std::function<void(EngineValues&)> force; // empty: set `index` to `value`
        int index;
        float value;
        bool fallsBack;
    };
    const auto smoothing = [](float s) { return [s](EngineValues& v) { v.smoothing.store(s); }; };
    for (const Case& c : std::initializer_list<Case>{
             {"smoothing 2", smoothing(2.0f), 0, 0, true},
             {"smoothing -1.5", smoothing(-1.5f), 0, 0, true},
             {"cut-off scale 1e20", [](EngineValues& v) { v.cutoffScale.store(1e20f); }, 0, 0,
              true},
             {"depth 3e6", [](EngineValues& v) { v.envDepth.store(3e6f); }, 0, 0, true},
             {"Smooth 2", {}, Smooth, 2.0f, false},
             {"CutOff 1e20", {}, CutOff, 1e20f, false},
             {"Env inf", {}, Env, inf, false},
             {"Env 3e6", {}, Env, 3e6f, false},
             {"Q 1e38", {}, Q, 1e38f, false},
             {"Q -1e38", {}, Q, -1e38f, false},
             {"Sustain 1e30", {}, Sustain, 1e30f, false},
             {"Env -1e6", {}, Env, -1e6f, false}}) {
        EnginePair pair(GetParam());
        for (int n = 0; n < 4; ++n)
            pair.noteOn(50 + 7 * n, 100, 11 * n);
        ASSERT_TRUE(pair.render(200));
        if (c.force)
            pair.forceValues(c.force);
        else
            pair.setParameter(c.index, c.value);
        ASSERT_TRUE(pair.render(300)) << c.what;
        EXPECT_EQ(pair.fastState().aloneSamples > 0, c.fallsBack) << c.what;
        for (std::int32_t index : kProgramApplyOrder)
            pair.setParameter(index, kParameterDefaults[index]);
        ASSERT_TRUE(pair.render(300)) << c.what;
    }
    // Sample rates far off: phase steps too fine or too coarse for the float phase update.
    for (double rate : {5e7, 50.0}) {
        EnginePair pair(GetParam());
        pair.setRate(rate);
        for (int n = 0; n < 4; ++n)
            pair.noteOn(10 + 35 * n, 100);
        ASSERT_TRUE(pair.render(500)) << rate;
        EXPECT_GT(pair.fastState().aloneSamples, 0u) << rate;
        EXPECT_GT(pair.fastState().laneSamples, 0u) << rate;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, FastRenderCorners,
                         ::testing::ValuesIn(allRenderIsas()), isaTestName);

TEST(RenderDispatch, RenderUsesTheFastPathAndMatchesTheReference) {
    EnginePair pair(bestRenderIsa());
    for (int n = 0; n < 16; ++n)
        pair.noteOn(30 + 5 * n, 40 + 5 * n, 3 * n);
    for (int block = 0; block < 8; ++block) {
        std::vector<float> refLeft(300, 0.5f), refRight(300, 0.25f);
        std::vector<float> left = refLeft, right = refRight;
        EngineProbe::renderReference(*pair.reference, refLeft.data(), refRight.data(), 300);
        pair.fast->render(left.data(), right.data(), 300);
        ASSERT_EQ(std::memcmp(left.data(), refLeft.data(), sizeof(float) * 300), 0);
        ASSERT_EQ(std::memcmp(right.data(), refRight.data(), sizeof(float) * 300), 0);
    }
    EXPECT_EQ(pair.fastState().laneSamples, 16u * 8u * 300u - 15u * 16u / 2u * 3u);
}

TEST(RenderDispatch, AnIdleInstrumentLeavesTheBuffersAsTheyAre) {
    EnginePair pair(bestRenderIsa());
    pair.noteOn(60, 100, 50);
    pair.midi(0xB0, 126, 0); // silenced before it started: its delay no longer counts down
    std::vector<float> left(64, -0.0f), right(64, 3.0f);
    pair.fast->render(left.data(), right.data(), 64);
    EXPECT_EQ(bitsOf(left[10]), bitsOf(-0.0f));
    EXPECT_EQ(right, std::vector<float>(64, 3.0f));
    EXPECT_EQ(EngineProbe::engine(*pair.fast).voice(1).startDelay, 50);
}

TEST(RenderDispatch, TheLoadTimeChoiceIsSupportedAndSse2IsAlwaysThere) {
    ASSERT_TRUE(fastRenderAvailable());
    EXPECT_TRUE(renderIsaSupported(RenderIsa::Sse2));
    EXPECT_TRUE(renderIsaSupported(bestRenderIsa()));
    for (std::int32_t i = static_cast<std::int32_t>(bestRenderIsa()) + 1; i < kRenderIsaCount; ++i)
        EXPECT_FALSE(renderIsaSupported(static_cast<RenderIsa>(i)))
            << "a wider set was passed over";
}

// The envelope plan divides in float where both operands are exact floats; that equals the
// double quotient rounded to float because 53 bits exceed twice 24 bits plus two.
TEST(EnvelopeArithmetic, FloatQuotientOfExactIntegersEqualsTheRoundedDoubleQuotient) {
    std::mt19937 rng(5);
    auto check = [](std::int32_t pos, std::int32_t length) {
        const float viaFloat = static_cast<float>(pos) / static_cast<float>(length + 1);
        const auto viaDouble = static_cast<float>(pos / (length + 1.0));
        return bitsOf(viaFloat) == bitsOf(viaDouble);
    };
    for (std::int32_t length = 0; length < 2500; ++length)
        for (std::int32_t pos = 0; pos <= length; ++pos)
            ASSERT_TRUE(check(pos, length)) << pos << " / " << length + 1;
    std::uniform_int_distribution<std::int32_t> any(1, (1 << 24) - 1);
    for (int i = 0; i < 2000000; ++i) {
        const std::int32_t length = any(rng);
        const std::int32_t pos = std::uniform_int_distribution<std::int32_t>(0, length)(rng);
        ASSERT_TRUE(check(pos, length)) << pos << " / " << length + 1;
    }
}

} // namespace
