#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "tests/synth/synth_fixture.h"

namespace {

int firstNonZero(const std::vector<float>& x) {
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0.0f) return static_cast<int>(i);
    return -1;
}

// Average period from upward zero crossings, in samples.
double period(const std::vector<float>& x, int from) {
    int first = -1, last = -1, crossings = 0;
    for (std::size_t i = from + 1; i < x.size(); ++i)
        if (x[i - 1] < 0 && x[i] >= 0) {
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
            ++crossings;
        }
    return crossings > 1 ? double(last - first) / (crossings - 1) : 0;
}

TEST(Render, SilenceWithoutVoices) {
    PlayedInstrument s;
    EXPECT_EQ(s.render(100), std::vector<float>(100, 0.0f));
    std::vector<float> a(50, 0.25f), b(50, -0.5f);
    s.instrument.render(a.data(), b.data(), 50);
    EXPECT_EQ(a, std::vector<float>(50, 0.25f));
    EXPECT_EQ(b, std::vector<float>(50, -0.5f));
    EXPECT_TRUE(s.render(0).empty());
    s.instrument.renderReplacing(nullptr, nullptr, -5);
}

TEST(Render, NoteSixtyNineSoundsAtFourHundredFortyHertz) {
    PlayedInstrument s;
    s.pureSine();
    s.noteOn(69, 127);
    const auto out = s.render(44100);
    EXPECT_NEAR(44100.0 / period(out, 2000), 440.0, 0.5);
    EXPECT_TRUE(s.bothChannelsEqual);
}

TEST(Render, BendOfOneSemitoneRaisesThePitch) {
    PlayedInstrument s;
    s.classicControls();
    s.pureSine();
    s.noteOn(57, 127);
    s.send({{0, 0xE0, 0, 127}});
    const auto out = s.render(44100);
    EXPECT_NEAR(44100.0 / period(out, 2000), 220.0 * 1.059463094359, 0.5);
}

TEST(Render, StartDelayAndSampleExactNoteOn) {
    PlayedInstrument s;
    s.instrument.setParameter(Attack, 0.0f);
    s.noteOn(60, 100, 5);
    auto out = s.render(32);
    // Attack 0 and decay 221: level 0 on the two stage-ending samples, then the decay from 1.0.
    EXPECT_EQ(firstNonZero(out), 6);
    PlayedInstrument late;
    late.noteOn(60, 100, 40); // an offset beyond the block lands in the next one
    EXPECT_EQ(firstNonZero(late.render(32)), -1);
    EXPECT_EQ(late.voice(1).startDelay, 8);
}

TEST(Envelope, AttackDecaySustainTiming) {
    EnvelopeProbe p;
    p.s.noteOn(0, 127); // note 0: the square stays in its first half for the whole test
    const auto e = p.levels(900);
    EXPECT_EQ(e[0], 0.0);
    EXPECT_NEAR(e[220], 220.0 / 222.0, 1e-6); // the 221st sample
    EXPECT_NEAR(e[221], 220.0 / 222.0, 1e-6); // repeated once
    EXPECT_NEAR(e[222], 1.0, 1e-6);           // the decay starts at exactly 1.0
    EXPECT_NEAR(e[222 + 221], 0.5 + 0.5 * (1 - 220.0 / 222.0), 1e-6); // repeated decay end
    EXPECT_NEAR(e[222 + 222], 0.5, 1e-6);                             // sustain
    p.s.instrument.setParameter(Sustain, 0.25f); // the sustain follows the parameter live
    EXPECT_NEAR(p.levels(10)[0], 0.25, 1e-6);
}

TEST(Envelope, ZeroLengthStagesGiveTwoSilentSamplesThenSustain) {
    EnvelopeProbe p;
    p.s.instrument.setParameter(Attack, 0.0f);
    p.s.instrument.setParameter(Decay, 0.0f);
    p.s.noteOn(0, 127);
    const auto e = p.levels(4);
    EXPECT_EQ(e[0], 0.0);
    EXPECT_EQ(e[1], 0.0);
    EXPECT_NEAR(e[2], 0.5, 1e-6);
}

TEST(Envelope, ReleaseStartsFromTheLevelReachedAndEndsInSilence) {
    EnvelopeProbe p;
    p.s.noteOn(0, 127, 10);
    p.s.noteOff(0, 50);
    const auto e = p.levels(10 + 52 + 451 + 5);
    // The voice starts at frame 10; its release begins with its 52nd sample, at frame 61.
    EXPECT_NEAR(e[60], 50.0 / 222.0, 1e-6);
    EXPECT_NEAR(e[61], 50.0 / 222.0, 1e-6); // release sample 0 keeps the attack level reached
    EXPECT_NEAR(e[62], (1 - 1.0 / 452) * 50.0 / 222.0, 1e-6);
    EXPECT_GT(e[61 + 450], 0.0);
    EXPECT_EQ(e[61 + 451], 0.0);
    EXPECT_EQ(p.s.voice(1).stage, Idle);
    EXPECT_EQ(p.s.render(64), std::vector<float>(64, 0.0f));
}

TEST(Smoothing, OneSilencesAndZeroPassesTheOscillator) {
    PlayedInstrument s;
    s.instrument.setParameter(Smooth, 1.0f);
    s.noteOn(60);
    EXPECT_EQ(firstNonZero(s.render(2000)), -1);
}

TEST(Filter, NoteZeroIsSilentWithLowPassAndPassesWithHighPass) {
    PlayedInstrument s;
    s.noteOn(0, 100);
    EXPECT_EQ(firstNonZero(s.render(2000)), -1);
    PlayedInstrument highPass;
    highPass.instrument.setParameter(Type, 1.0f);
    highPass.noteOn(0, 100);
    EXPECT_EQ(firstNonZero(highPass.render(2000)), 1); // sample 0 has envelope level 0
}

TEST(Render, BlockSizeDoesNotChangeTheSamples) {
    PlayedInstrument whole, pieces;
    for (PlayedInstrument* s : {&whole, &pieces}) {
        s->noteOn(48, 90, 3);
        s->noteOn(55, 70, 700);
        s->noteOff(48, 900);
    }
    const auto reference = whole.render(3000);
    std::vector<float> joined;
    for (int size : {1, 7, 64, 511, 1000, 1417}) {
        const auto part = pieces.render(size);
        joined.insert(joined.end(), part.begin(), part.end());
    }
    EXPECT_EQ(joined, reference);
}

} // namespace
