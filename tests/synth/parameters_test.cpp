#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "tests/synth/synth_fixture.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

std::string display(const Instrument& instrument, std::int32_t index) {
    char buffer[8]; // the smallest a front gives: VST 2's
    std::memset(buffer, 'x', sizeof buffer);
    instrument.parameterDisplay(index, buffer, sizeof buffer);
    return buffer;
}

TEST(SynthParameters, ValuesAreStoredUnclampedAndDisplaysFitEightBytes) {
    Instrument instrument;
    instrument.setParameter(0, 2.0f);
    EXPECT_EQ(instrument.parameter(0), 2.0f);
    EXPECT_EQ(display(instrument, 0), "2.00");
    instrument.setParameter(1, -0.25f);
    EXPECT_EQ(display(instrument, 1), "-0.25");
    instrument.setParameter(2, 1.0e30f);
    const std::string huge = display(instrument, 2);
    EXPECT_EQ(huge.size(), 7u); // cut to the 8-byte buffer
    const float nan = std::numeric_limits<float>::quiet_NaN();
    instrument.setParameter(3, nan);
    EXPECT_TRUE(std::isnan(instrument.parameter(3))); // stored as it arrives
    EXPECT_EQ(display(instrument, 3), "nan");
    // Out-of-range indices store nothing.
    instrument.setParameter(16, 0.7f);
    instrument.setParameter(-1, 0.7f);
    for (int i = 4; i < 16; ++i)
        EXPECT_NE(instrument.parameter(i), 0.7f);
}

TEST(ParameterResponse, EnvelopeLengthsAt44100) {
    PlayedInstrument s;
    const EngineValues& v = s.values();
    EXPECT_EQ(v.attackLength.load(relaxed), 221);
    EXPECT_EQ(v.decayLength.load(relaxed), 221);
    EXPECT_EQ(v.releaseLength.load(relaxed), 451);
    s.instrument.setParameter(Attack, 0.5f);
    EXPECT_EQ(v.attackLength.load(relaxed), 5512); // 5512.5, a tie, rounds to even
    s.instrument.setParameter(Attack, 1.0f);
    EXPECT_EQ(v.attackLength.load(relaxed), 22050);
    s.instrument.setParameter(Attack, 0.0f);
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    s.instrument.setParameter(Release, 0.0f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 10);
    s.instrument.setParameter(Release, 1.0f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 44110);
}

TEST(ParameterResponse, FilterValues) {
    PlayedInstrument s;
    const EngineValues& v = s.values();
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.40816328f);
    s.instrument.setParameter(CutOff, 0.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.06802721f);
    s.instrument.setParameter(CutOff, 1.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 1.4285715f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 1.2f);
    s.instrument.setParameter(Q, 1.0f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 0.03f);
    const std::pair<float, int> modes[] = {{0.25f, 0}, {0.26f, 1}, {0.5f, 1}, {0.75f, 2},
                                           {1.3f, 3},  {5.0f, 3},  {-3.0f, 0}};
    for (auto [type, mode] : modes) {
        s.instrument.setParameter(Type, type);
        EXPECT_EQ(v.filterMode.load(relaxed), mode) << type;
    }
}

TEST(ParameterResponse, WaveChoosesTheBankByRoundingThreeTimesTheValue) {
    PlayedInstrument s;
    const std::pair<float, int> banks[] = {{0.0f, SineBankIndex},     {0.16666667f, SawBankIndex},
                                           {0.5f, SquareBankIndex},   {1.0f, TriangleBankIndex},
                                           {9.0f, TriangleBankIndex}, {-9.0f, SineBankIndex}};
    for (auto [wave, bank] : banks) {
        s.instrument.setParameter(Wave, wave);
        EXPECT_EQ(s.values().activeBank.load(relaxed), bank) << wave;
    }
}

std::vector<int> weights(const PlayedInstrument& s) {
    std::vector<int> w;
    for (const auto& weight : s.values().harmonicWeight)
        w.push_back(weight.load(relaxed));
    return w;
}

TEST(ParameterResponse, ClassicDrawbarWeightsDependOnTheOrderOfChanges) {
    PlayedInstrument s{DrawbarRule::Classic};
    // Construction sets the drawbars one after another with the later ones still at zero.
    EXPECT_EQ(weights(s), (std::vector<int>{250, 333, 250, 200, 167, 143, 125}));
    s.instrument.selectProgram(0);
    EXPECT_EQ(weights(s), (std::vector<int>{250, 125, 125, 125, 125, 125, 125}));
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        s.instrument.setParameter(k, 0.0f);
    EXPECT_EQ(weights(s)[0], 1000);
    EXPECT_FLOAT_EQ(s.values().drawbarSum.load(relaxed), 1.0f);
}

// The same levels reached from different values and in different orders: by the positions rule
// the weights are the same, and they are the classic rule's once its drawbars are settled (every
// drawbar set again after the others). The classic rule itself keeps each path's own weights.
TEST(ParameterResponse, DrawbarWeightsFollowThePositionsAloneAndMatchTheSettledClassicRule) {
    // Levels outside 0..1 count as the nearer end, as the engine holds them.
    const std::array<float, 6> levels = {0.9f, 0.1f, 0.6f, 0.0f, 0.35f, 7.0f};
    const auto reach = [&](DrawbarRule rule, float before, bool backwards, bool settle) {
        auto s = std::make_unique<PlayedInstrument>(rule);
        for (int k = Drawbar2; k <= Drawbar3; ++k)
            s->instrument.setParameter(k, before);
        for (int pass = 0; pass < (settle ? 2 : 1); ++pass)
            for (int i = 0; i < 6; ++i) {
                const int k = backwards ? Drawbar3 - i : Drawbar2 + i;
                s->instrument.setParameter(k, levels[k - Drawbar2]);
            }
        return std::make_pair(weights(*s), s->values().drawbarSum.load(relaxed));
    };
    const auto forwards = reach(DrawbarRule::Positions, 0.0f, false, false);
    EXPECT_EQ(forwards, reach(DrawbarRule::Positions, 1.0f, true, false));
    EXPECT_EQ(forwards, reach(DrawbarRule::Positions, -3.0f, false, true));
    EXPECT_EQ(forwards, reach(DrawbarRule::Classic, 0.0f, false, true));
    EXPECT_EQ(forwards, reach(DrawbarRule::Classic, 1.0f, true, true));
    EXPECT_NE(reach(DrawbarRule::Classic, 0.0f, false, false).first,
              reach(DrawbarRule::Classic, 1.0f, true, false).first);
    // A drawbar at 0 weighs nothing; the held 7.0 weighs as 1.0 does.
    EXPECT_EQ(forwards.first[4], 0);
    EXPECT_EQ(forwards.first[6], forwards.first[0]);
}

TEST(ParameterResponse, SampleRateChangesOnlyTheTableStepUntilAParameterIsSetAgain) {
    PlayedInstrument s;
    EXPECT_EQ(s.values().tableStep.load(relaxed), static_cast<float>(4096.0 / 44100.0));
    s.instrument.setSampleRate(48000.0f);
    EXPECT_FLOAT_EQ(s.values().tableStep.load(relaxed), 0.08533333f);
    EXPECT_EQ(s.values().attackLength.load(relaxed), 221);
    s.instrument.setParameter(Attack, 0.1f);
    EXPECT_EQ(s.values().attackLength.load(relaxed), 240);
}

TEST(ParameterResponse, UnusableSampleRatesAreIgnored) {
    PlayedInstrument s;
    const float step = s.values().tableStep.load(relaxed);
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN(), 1e-44f}) {
        EXPECT_FALSE(s.instrument.setSampleRate(rate)) << rate;
        EXPECT_FALSE(s.instrument.setParameterRate(rate)) << rate;
        EXPECT_EQ(s.instrument.sampleRate(), 44100.0f) << rate;
        EXPECT_EQ(s.values().tableStep.load(relaxed), step);
    }
}

TEST(ParameterResponse, NonFiniteAndOutOfRangeValuesGiveTheDerivedValuesOfTheNearestEnd) {
    PlayedInstrument s;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int index = 0; index < 16; ++index) {
        s.instrument.setParameter(index, nan);
        s.instrument.setParameter(index, inf);
    }
    const EngineValues& v = s.values();
    // Non-finite values act as 0.
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    EXPECT_EQ(v.releaseLength.load(relaxed), 10);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 0.06802721f);
    EXPECT_EQ(v.filterMode.load(relaxed), 0);
    EXPECT_EQ(weights(s)[0], 1000);
    // The sound is made from values held within 0..1; the host reads back what it set.
    s.instrument.setParameter(Release, 3e38f);
    EXPECT_EQ(v.releaseLength.load(relaxed), 44110);
    s.instrument.setParameter(Attack, -3e38f);
    EXPECT_EQ(v.attackLength.load(relaxed), 0);
    s.instrument.setParameter(Sustain, 3e38f);
    EXPECT_EQ(v.sustainLevel.load(relaxed), 1.0f);
    EXPECT_EQ(s.instrument.parameter(Sustain), 3e38f);
    s.instrument.setParameter(Q, 2.0f);
    EXPECT_FLOAT_EQ(v.damping.load(relaxed), 0.03f);
    s.instrument.setParameter(Env, -5.0f);
    EXPECT_EQ(v.envDepth.load(relaxed), 0.0f);
    s.instrument.setParameter(CutOff, 7.0f);
    EXPECT_FLOAT_EQ(v.cutoffScale.load(relaxed), 1.4285715f);
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        s.instrument.setParameter(k, k == Drawbar2 ? 96000.0f : -1.0f);
    EXPECT_EQ(weights(s)[0], 500); // the fundamental beside one drawbar pulled out fully
    EXPECT_EQ(weights(s)[1], 500);
}

} // namespace
