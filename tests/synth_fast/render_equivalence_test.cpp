// A long randomized performance rendered by the reference and by the fast render on every
// instruction set the machine offers: the samples and the voices must agree to the bit after
// every block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "tests/synth_fast/engine_pair.h"

namespace {

class Performance {
  public:
    explicit Performance(std::uint32_t seed) : rng(seed) {}

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
    float real(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(rng);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }

    // Mostly musical values, with the corners of every mapping, out-of-range, huge and
    // non-finite values mixed in.
    float value() {
        static const float corners[] = {0.0f, 1.0f,     0.25f,    0.75f, 0.5f,  1.0f / 3, 2.0f / 3,
                                        0.1f, 1.0f / 6, 7.0f / 6, 1.25f, 1.75f, -0.25f,   -0.0f};
        static const float extremes[] = {1e10f,  -1e10f,    1e30f, -1e30f, FLT_MAX, -FLT_MAX,
                                         1e-30f, 0.999999f, 1e-6f, 3.0f,   -3.0f};
        const int kind = uniform(0, 99);
        if (kind < 70) return real(0.0f, 1.0f);
        if (kind < 85) return corners[uniform(0, std::size(corners) - 1)];
        if (kind < 92) return real(-3.0f, 3.0f);
        if (kind < 97) return extremes[uniform(0, std::size(extremes) - 1)];
        static const float nonFinite[] = {std::numeric_limits<float>::quiet_NaN(),
                                          std::numeric_limits<float>::infinity(),
                                          -std::numeric_limits<float>::infinity()};
        return nonFinite[uniform(0, 2)];
    }

    // Short envelopes most of the time, so that every stage and its ends come by often.
    float envelopeTime() {
        const int kind = uniform(0, 9);
        if (kind < 2) return 0.0f;
        if (kind < 7) return real(0.0f, 0.06f);
        return value();
    }

    float smoothing() {
        const int kind = uniform(0, 9);
        if (kind < 5) return 0.0f;
        if (kind < 8) return real(0.0f, 1.0f);
        return kind == 8 ? 1.0f : value();
    }

    // A derived value that parameters, held within 0..1, no longer give: what an extreme value
    // gave before, so that the fast render's fallbacks stay covered.
    void forceExtreme(EnginePair& pair) {
        static const double extremes[] = {1e10, -1e10, 1e30, -1e30, 3.0, -3.0, 2.0, -1.5};
        const double v = extremes[uniform(0, std::size(extremes) - 1)];
        const int which = uniform(0, 4);
        pair.forceValues([&](EngineValues& d) {
            if (which == 0) d.smoothing.store(static_cast<float>(v));
            if (which == 1) d.envDepth.store(static_cast<float>(v));
            if (which == 2) d.damping.store(static_cast<float>(1.2 - 1.17 * v));
            if (which == 3) d.cutoffScale.store(static_cast<float>((v * v + 0.05) * 60000 / 44100));
            if (which == 4) d.sustainLevel.store(static_cast<float>(std::clamp(v, -1e6, 1e6)));
        });
    }

    // A playing control: mostly within its range, now and then anything.
    float playingValue(std::int32_t index) {
        const ControlRange& range = kControlRanges[index];
        if (chance(0.1)) return value();
        if (range.kind != ValueKind::Continuous)
            return static_cast<float>(
                uniform(static_cast<int>(range.minimum), static_cast<int>(range.maximum)));
        return real(range.minimum, range.maximum);
    }

    void changeParameter(EnginePair& pair) {
        if (chance(0.03)) return forceExtreme(pair);
        // The oscillators change with the programs (below): the seeds' performances stay what
        // they were before that control existed.
        const int index = uniform(0, Oscillators - 1);
        if (index >= kParameterCount) return pair.setParameter(index, playingValue(index));
        float v;
        switch (index) {
        case Attack:
        case Decay:
        case Release:
            v = envelopeTime();
            break;
        case Smooth:
            v = smoothing();
            break;
        default:
            v = value();
            break;
        }
        pair.setParameter(index, v);
    }

    // A program change: all sixteen values in the order a program applies them; and the
    // oscillators, Clean or Classic by one of the values drawn.
    void changeProgram(EnginePair& pair) {
        std::array<float, kParameterCount> values{};
        for (std::int32_t index : kProgramApplyOrder)
            values[index] = index == Smooth    ? smoothing()
                            : index <= Release ? envelopeTime()
                                               : real(0.0f, 1.0f);
        pair.loadValues(values);
        pair.setParameter(Oscillators, values[Q] < 0.5f ? CleanOscillators : ClassicOscillators);
    }

    void changeRate(EnginePair& pair) {
        static const double rates[] = {44100, 48000, 22050, 96000, 192000, 8000, 1e6, 100};
        pair.setRate(rates[uniform(0, std::size(rates) - 1)]);
    }

    int delta(int block) {
        const int kind = uniform(0, 9);
        if (kind < 5) return uniform(0, block);
        if (kind < 8) return uniform(0, 3 * block + 300); // across block and chunk edges
        return kind == 8 ? 0 : uniform(-5, -1);
    }

    void events(EnginePair& pair, int block) {
        const int count = chance(0.1) ? uniform(12, 20) : uniform(0, 4);
        for (int i = 0; i < count; ++i) {
            const int kind = uniform(0, 99);
            const int when = delta(block);
            if (kind < 45) {
                const int note = chance(0.05) ? 0 : uniform(20, 127);
                held.push_back(note);
                pair.noteOn(note, uniform(1, 127), when);
            } else if (kind < 72 && !held.empty()) {
                const auto at = static_cast<std::size_t>(uniform(0, int(held.size()) - 1));
                if (chance(0.5))
                    pair.noteOff(held[at], when);
                else
                    pair.midi(0x90 | uniform(0, 15), held[at], 0, when); // velocity 0
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
            } else if (kind < 80) {
                const int coarse = chance(0.3) ? (chance(0.5) ? 0 : 127) : uniform(0, 127);
                pair.midi(0xE0, uniform(0, 127), coarse, when);
            } else if (kind < 92) {
                performanceController(pair);
            } else if (kind < 94) {
                pair.midi(0xB0, 126, 0, when);
                held.clear();
            } else {
                pair.midi(0xB0 | uniform(0, 15), uniform(0, 125), uniform(0, 127), when);
            }
        }
    }

    // A fourteen-bit bend, or the wheel, pressure, channel volume or expression: at the ends of
    // their range often, and at 0 often enough that the vibrato stops and starts again.
    void performanceController(EnginePair& pair) {
        const int which = uniform(0, 4);
        const auto amount =
            static_cast<std::uint8_t>(chance(0.4) ? (chance(0.5) ? 0 : 127) : uniform(0, 127));
        const auto bend = static_cast<std::uint16_t>(chance(0.2) ? 8192 : uniform(0, 16383));
        pair.both([&](Instrument& e) {
            switch (which) {
            case 0:
                return e.bendWheel(bend);
            case 1:
                return e.modWheel(amount);
            case 2:
                return e.channelPressure(amount);
            case 3:
                return e.channelVolume(amount);
            default:
                return e.expression(amount);
            }
        });
    }

    int blockSize() {
        static const int sizes[] = {1,   2,   3,   4,   5,   7,   31,  64,  100,
                                    127, 128, 129, 255, 256, 257, 511, 512, 1000};
        return sizes[uniform(0, std::size(sizes) - 1)];
    }

    // What the host's buffers hold before the render: silence, or earlier signal to add to, with
    // both channels sometimes the same buffer.
    std::vector<float> initial(int frames) {
        std::vector<float> out(static_cast<std::size_t>(frames), 0.0f);
        if (chance(0.7)) return out;
        for (float& x : out)
            x = chance(0.2) ? (chance(0.5) ? -0.0f : 0.0f) : real(-1.0f, 1.0f);
        return out;
    }

    std::mt19937 rng;
    std::vector<int> held;
};

class RenderEquivalence : public ::testing::TestWithParam<RenderIsa> {
  protected:
    void SetUp() override {
        if (!renderIsaSupported(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << renderIsaName(GetParam());
    }
};

TEST_P(RenderEquivalence, LongRandomPerformanceMatchesTheReferenceToTheBit) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        EnginePair pair(GetParam());
        Performance perf(seed);
        for (int block = 0; block < 1500; ++block) {
            const int frames = perf.blockSize();
            if (perf.chance(0.3)) perf.changeParameter(pair);
            // A program change also ends whatever extreme values came before.
            if (perf.chance(0.03)) perf.changeProgram(pair);
            if (perf.chance(0.01)) perf.changeRate(pair);
            if (perf.chance(0.02)) pair.setRate(44100.0);
            perf.events(pair, frames);
            const bool shared = perf.chance(0.05);
            ASSERT_TRUE(pair.render(frames, perf.initial(frames), shared))
                << "seed " << seed << ", block " << block << ", " << frames << " frames";
        }
        // Most of the performance went through the lanes, and some of it through the fallback.
        const FastRenderState& s = pair.fastState();
        EXPECT_GT(s.laneSamples, 4 * s.aloneSamples) << "seed " << seed;
        EXPECT_GT(s.aloneSamples, 0u) << "seed " << seed;
    }
}

TEST_P(RenderEquivalence, DefaultProgramChordsMatchTheReference) {
    EnginePair pair(GetParam());
    Performance perf(7);
    for (int block = 0; block < 300; ++block) {
        if (block % 40 == 0)
            for (int i = 0; i < 17; ++i)
                pair.noteOn(40 + perf.uniform(0, 60), perf.uniform(1, 127), perf.uniform(0, 700));
        if (block % 40 == 25)
            for (int note = 0; note < 128; ++note)
                pair.noteOff(note, perf.uniform(0, 600));
        ASSERT_TRUE(pair.render(perf.blockSize())) << "block " << block;
    }
    EXPECT_EQ(pair.fastState().aloneSamples, 0u);
}

// Clean oscillators on held chords high enough for their drawbars to cross half the rate while
// the wheel bends and the vibrato moves them: the lanes change tables as the bands change, on
// steady lanes and in chunks, and give the reference's bits.
TEST_P(RenderEquivalence, CleanBandsFollowingBendsAndVibratoMatchTheReference) {
    EnginePair pair(GetParam());
    Performance perf(11);
    pair.setParameter(Oscillators, CleanOscillators);
    pair.setParameter(BendRange, 12.0f);
    pair.setParameter(VibratoDepth, 100.0f);
    pair.both([](Instrument& e) { e.modWheel(127); });
    for (int block = 0; block < 400; ++block) {
        if (block % 100 == 0) {
            pair.setParameter(Wave, static_cast<float>(block / 100) / 3.0f);
            pair.setParameter(Smooth, block % 200 == 0 ? 0.0f : 0.3f);
            for (int i = 0; i < 12; ++i)
                pair.noteOn(perf.uniform(60, 120), perf.uniform(1, 127), perf.uniform(0, 300));
        }
        if (block % 100 == 70)
            for (int note = 0; note < 128; ++note)
                pair.noteOff(note, perf.uniform(0, 200));
        if (perf.chance(0.2)) {
            const auto bend = static_cast<std::uint16_t>(perf.uniform(0, 16383));
            pair.both([&](Instrument& e) { e.bendWheel(bend); });
        }
        if (perf.chance(0.05)) pair.setParameter(perf.uniform(Drawbar2, Drawbar3), perf.real(0, 1));
        // Weights no parameter gives: the mixed tables wrap, as cleanMix does, and reach full
        // scale, where the rounding saturates (at smoothing 0 from block 200, 0.3 from 300).
        if (block == 230 || block == 330)
            pair.forceValues([](EngineValues& v) {
                for (int k = 0; k < kHarmonicBlocks; ++k)
                    v.harmonicWeight[k].store(INT32_MAX / (k + 1));
            });
        ASSERT_TRUE(pair.render(perf.blockSize())) << "block " << block;
    }
    const FastRenderState& s = pair.fastState();
    EXPECT_EQ(s.aloneSamples, 0u);
    EXPECT_GT(s.steadySamples, 0u);
    EXPECT_GT(s.clean.built, 20u);
    EXPECT_GT(s.job.exactFrames, 0u) << "the tables' bound sent no run to the exact kernel";
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, RenderEquivalence,
                         ::testing::ValuesIn(allRenderIsas()), isaTestName);

} // namespace
