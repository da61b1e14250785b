// The playing controls as a player meets them through the MIDI front: the classic values give the
// VST 2 build's samples, and each control does what it says, measured on the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "synth/midi_front.h"
#include "tests/synth/synth_fixture.h"

namespace {

constexpr double kRate = 44100.0;

// An instrument played through the MIDI front, as the LV2 build and the player do.
struct FrontPlayed : PlayedInstrument {
    MidiFront front{instrument};
    void message(std::vector<std::uint8_t> bytes, int frame = 0) {
        front.message(bytes.data(), bytes.size(), frame);
    }
    void bend(int amount) {
        message({0xE0, static_cast<std::uint8_t>(amount & 0x7F),
                 static_cast<std::uint8_t>(amount >> 7)});
    }
};

// Times (in frames, interpolated) where the signal crosses zero upwards, from frame `from` on.
std::vector<double> upwardCrossings(const std::vector<float>& x, std::size_t from) {
    std::vector<double> at;
    for (std::size_t i = from + 1; i < x.size(); ++i)
        if (x[i - 1] < 0 && x[i] >= 0) at.push_back(double(i - 1) + x[i - 1] / (x[i - 1] - x[i]));
    return at;
}

double averageFrequency(const std::vector<float>& x, std::size_t from) {
    const std::vector<double> at = upwardCrossings(x, from);
    return kRate * double(at.size() - 1) / (at.back() - at.front());
}

std::size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
}

// --- The classic values against the VST 2 build --------------------------------------------

// A patch well away from the defaults, as the sixteen classic values.
constexpr std::array<float, kParameterCount> kPatch = {0.3f, 0.45f, 0.35f, 0.25f, 0.7f, 0.4f,
                                                       0.0f, 0.6f,  0.9f,  0.2f,  0.7f, 0.4f,
                                                       0.1f, 0.6f,  0.34f, 0.2f};

struct TimedMessage {
    int frame;
    std::vector<std::uint8_t> bytes;
};

// Notes of several velocities, releases, bends whose fine byte is 0 (the top one included), and
// the wheel and pressure, which classic values leave without effect.
const std::vector<TimedMessage> kPerformance = {
    {0, {0x90, 60, 100}},    {0, {0x90, 64, 70}},    {100, {0xB0, 1, 127}},  {3000, {0xE0, 0, 127}},
    {5000, {0x90, 67, 127}}, {7100, {0xD0, 90}},     {9000, {0xE0, 0, 20}},  {12000, {0x80, 60, 0}},
    {15000, {0xE0, 0, 64}},  {20000, {0x80, 64, 0}}, {20050, {0x80, 67, 0}}, {22000, {0x90, 72, 1}},
    {26000, {0xE0, 0, 0}},   {30000, {0x80, 72, 0}}, {30001, {0x90, 48, 90}}};
constexpr int kPerformanceFrames = 36000;

TEST(ClassicValues, GiveTheSettledVst2BuildsSamplesAtEveryBlockSize) {
    for (int block : {1, 64, 4096}) {
        FrontPlayed lv2;
        std::array<float, kControlCount> all = kClassicValues;
        std::copy(kPatch.begin(), kPatch.end(), all.begin());
        lv2.instrument.loadValues(all);
        PlayedInstrument vst2{DrawbarRule::Classic};
        vst2.instrument.loadValues(kPatch);
        vst2.instrument.settleProgram(vst2.instrument.currentProgram());

        std::vector<float> a, b;
        std::size_t next = 0;
        for (int start = 0; start < kPerformanceFrames; start += block) {
            for (; next < kPerformance.size() && kPerformance[next].frame < start + block; ++next) {
                const TimedMessage& m = kPerformance[next];
                lv2.message(m.bytes, m.frame - start);
                playVst2Midi(vst2.instrument, m.bytes[0], m.bytes[1],
                             m.bytes.size() > 2 ? m.bytes[2] : 0, m.frame - start);
            }
            const std::vector<float> x = lv2.render(block), y = vst2.render(block);
            a.insert(a.end(), x.begin(), x.end());
            b.insert(b.end(), y.begin(), y.end());
        }
        EXPECT_EQ(firstDifference(a, b), a.size()) << "block " << block;
        EXPECT_GT(*std::max_element(a.begin(), a.end()), 0.01f);
    }
}

// --- Bend -------------------------------------------------------------------------------------

TEST(BendRange, AtOneTheWheelsCoarseStepsGiveTheClassicFactors) {
    FrontPlayed lv2;
    lv2.classicControls();
    PlayedInstrument vst2{DrawbarRule::Classic};
    for (int coarse = 0; coarse < 128; ++coarse) {
        lv2.bend(coarse << 7);
        vst2.send({{0, 0xE0, 0, static_cast<unsigned char>(coarse)}});
        ASSERT_EQ(lv2.engine().currentBendFactor(), vst2.engine().currentBendFactor()) << coarse;
    }
    EXPECT_EQ(lv2.engine().currentBendFactor(), static_cast<float>(1.059463094359));
}

TEST(BendRange, FourteenBitsOverTwoAndTwelveSemitones) {
    struct Point {
        int amount;
        double share; // of the range, up or down
    };
    for (int range : {2, 12}) {
        FrontPlayed s;
        s.instrument.setParameter(BendRange, static_cast<float>(range));
        s.noteOn(69);
        const double unbent = s.voice(1).phaseStep;
        for (Point p :
             {Point{0, -1.0}, Point{8192 - 2048, -0.25}, Point{8192 + 1000, 1000 / 8192.0},
              Point{8192 + 4096, 0.5}, Point{16383, 1.0}}) {
            s.bend(p.amount);
            EXPECT_NEAR(s.voice(1).phaseStep / unbent, std::exp2(p.share * range / 12.0), 2e-6)
                << range << " semitones, wheel at " << p.amount;
        }
        // Near the top the positions close the gap that the top coarse step leaves (127 counts
        // as the whole range) in steps of at most two.
        const auto semitones = [&](int amount) {
            s.bend(amount);
            return 12.0 * std::log2(s.voice(1).phaseStep / unbent);
        };
        for (int amount = 16383 - 300; amount < 16383; ++amount)
            ASSERT_LT(semitones(amount + 1) - semitones(amount), 2.5 * range / 8192) << amount;
        // Every wheel position bends at least as far as the one below it.
        float previous = 0.0f;
        for (int amount = 0; amount < 16384; ++amount) {
            s.bend(amount);
            ASSERT_GE(s.engine().currentBendFactor(), previous) << amount;
            previous = s.engine().currentBendFactor();
        }
    }
    // Measured: a full bend of an octave on the 220 Hz A, and the range changed under the held
    // wheel, which the next render follows.
    FrontPlayed s;
    s.pureSine();
    s.instrument.setParameter(BendRange, 12.0f);
    s.noteOn(57, 127);
    s.bend(16383);
    EXPECT_NEAR(averageFrequency(s.render(22050), 2000), 440.0, 0.5);
    s.instrument.setParameter(BendRange, 7.0f);
    EXPECT_NEAR(averageFrequency(s.render(22050), 2000), 220.0 * std::exp2(7.0 / 12.0), 0.5);
}

// --- Vibrato ----------------------------------------------------------------------------------

TEST(Vibrato, DepthAndRateMeasuredOnASine) {
    struct Case {
        float rate, depth;
        std::uint8_t wheel, pressure;
        double cents; // reached
    };
    for (Case c : {Case{5.5f, 50.0f, 127, 0, 50.0}, Case{2.0f, 100.0f, 0, 64, 100.0 * 64 / 127},
                   Case{9.0f, 30.0f, 40, 127, 30.0}}) {
        FrontPlayed s;
        s.pureSine();
        s.instrument.setParameter(VibratoRate, c.rate);
        s.instrument.setParameter(VibratoDepth, c.depth);
        s.noteOn(69, 127);
        s.message({0xB0, 1, c.wheel});
        s.message({0xD0, c.pressure});
        const std::vector<float> out = s.render(2 * 44100);
        // The pitch of each period in cents from 440 Hz; the vibrato's upward crossings of 0,
        // each counted once the pitch has been well below.
        const std::vector<double> at = upwardCrossings(out, 2000);
        double highest = -1e9, lowest = 1e9;
        std::vector<double> cycles;
        bool below = false;
        for (std::size_t i = 1; i < at.size(); ++i) {
            const double cents = 1200.0 * std::log2(kRate / (at[i] - at[i - 1]) / 440.0);
            highest = std::max(highest, cents);
            lowest = std::min(lowest, cents);
            if (cents < -c.cents / 2) below = true;
            if (below && cents >= 0) {
                cycles.push_back(at[i]);
                below = false;
            }
        }
        EXPECT_NEAR(highest, c.cents, 0.05 * c.cents) << c.rate << " Hz";
        EXPECT_NEAR(lowest, -c.cents, 0.05 * c.cents) << c.rate << " Hz";
        ASSERT_GE(cycles.size(), 3u);
        const double rate = kRate * double(cycles.size() - 1) / (cycles.back() - cycles.front());
        EXPECT_NEAR(rate, c.rate, 0.02 * c.rate);
    }
}

// The vibrato moves the pitch on a grid of the frames played: the same samples whatever the
// blocks, with the wheel moved between them; with the wheel down again, the notes' own steps.
TEST(Vibrato, SameSamplesAtEveryBlockSizeAndTheExactStepsAfter) {
    std::vector<float> first;
    for (int block : {1, 64, 100, 1600}) { // 100: blocks that end between grid points
        FrontPlayed s;
        s.noteOn(60);
        s.noteOn(67);
        const float plain = s.voice(1).phaseStep;
        bool moved = false;
        std::vector<float> out;
        for (int start = 0; start < 16000; start += block) {
            if (start == 3200) s.message({0xB0, 1, 127});
            if (start == 6400) s.message({0xD0, 60}); // pressure takes over from the wheel
            if (start == 6400) s.message({0xB0, 1, 0});
            if (start == 9600) s.message({0xD0, 0});
            const std::vector<float> x = s.render(block);
            out.insert(out.end(), x.begin(), x.end());
            moved = moved || s.voice(1).phaseStep != plain;
        }
        EXPECT_TRUE(moved) << "block " << block;
        EXPECT_EQ(s.voice(1).phaseStep, plain) << "block " << block;
        if (first.empty())
            first = out;
        else
            EXPECT_EQ(firstDifference(out, first), out.size()) << "block " << block;
    }
}

// --- Envelope ---------------------------------------------------------------------------------

TEST(EnvelopeCurve, NaturalDecayAndReleaseFallExponentiallyToTheirEnds) {
    EnvelopeProbe p, q;
    for (EnvelopeProbe* probe : {&p, &q}) {
        probe->s.instrument.setParameter(EnvCurve, NaturalCurve);
        probe->s.instrument.setParameter(Attack, 0.0f);
    }
    p.s.instrument.setParameter(Sustain, 0.0f);
    p.s.instrument.setParameter(Decay, 0.3f);
    const int decay = p.s.values().decayLength.load();
    p.s.noteOn(0, 127);
    const std::vector<double> e = p.levels(decay + 10);
    const int start = 1; // after the sample that ends the empty attack
    const double quarter = e[start + decay / 4], half = e[start + decay / 2];
    EXPECT_NEAR(e[start], 1.0, 1e-6);
    EXPECT_LT(half, 0.05); // the linear decay stands at 0.5 here
    // Equal times, equal ratios (within what the landing on the sustain level bends).
    EXPECT_NEAR(half / quarter, quarter / e[start], 0.05 * quarter);
    EXPECT_GT(e[start + decay - 1], 0.0);
    EXPECT_EQ(e[start + decay + 1], 0.0); // at the sustain level

    // The release from full level, halfway down: as far below as the decay was.
    q.s.instrument.setParameter(Decay, 0.0f);
    q.s.instrument.setParameter(Sustain, 1.0f);
    q.s.instrument.setParameter(Release, 0.2f);
    const int release = q.s.values().releaseLength.load();
    q.s.noteOn(0, 127);
    q.s.noteOff(0, 100);
    const std::vector<double> r = q.levels(100 + release + 4);
    EXPECT_NEAR(r[101], 1.0, 1e-6);
    EXPECT_NEAR(r[101 + release / 2], half, 0.1 * half);
    EXPECT_GT(r[100 + release], 0.0);
    EXPECT_EQ(r[101 + release], 0.0);
    EXPECT_EQ(q.s.voice(1).stage, Idle);
}

TEST(EnvelopeScale, StretchesTheAttackAndTheRelease) {
    EnvelopeProbe p;
    p.s.instrument.setParameter(EnvScale, 3.0f);
    p.s.noteOn(0, 127);
    // Attack 0.1 lasts 662 samples instead of 221: a third of the way up at 221.
    EXPECT_NEAR(p.levels(222)[221], 221.0 / 663.0, 1e-6);
    p.s.noteOff(0, 0);
    const int release = p.s.values().releaseLength.load();
    const std::vector<double> r = p.levels(release + 4);
    EXPECT_EQ(release, 3 * 441 + 10); // the 10 samples that keep a release click-free stay 10
    EXPECT_GT(r[release], 0.0);
    EXPECT_EQ(r[release + 1], 0.0);
}

// --- Level ------------------------------------------------------------------------------------

TEST(VelocitySense, AtZeroEveryNoteIsFullAndHalfwayItMeetsFull) {
    FrontPlayed full, none, half;
    none.instrument.setParameter(VelocitySense, 0.0f);
    half.instrument.setParameter(VelocitySense, 0.5f);
    full.noteOn(50, 127);
    full.noteOn(50, 64);
    none.noteOn(50, 20);
    half.noteOn(50, 1);
    EXPECT_EQ(none.voice(1).voiceGain, full.voice(1).voiceGain);
    EXPECT_EQ(half.voice(1).voiceGain, full.voice(2).voiceGain);
    EXPECT_EQ(half.voice(1).keyTrack, static_cast<float>(129 * 50 * 0.000030517578125));
}

TEST(Volume, VolumeAndControllersScaleTheSettledOutput) {
    struct Case {
        float decibels;
        std::uint8_t channelVolume, expression;
        double gain;
    };
    const double sixDecibels = 20.0 * std::log10(2.0);
    for (Case c : {Case{-static_cast<float>(sixDecibels), 127, 127, 0.5},
                   Case{0.0f, 90, 127, (90 / 127.0) * (90 / 127.0)},
                   Case{12.0f, 127, 30, std::pow(10.0, 0.6) * (30 / 127.0) * (30 / 127.0)},
                   Case{-20.0f, 100, 64, 0.1 * std::pow(100.0 * 64 / (127.0 * 127.0), 2)}}) {
        FrontPlayed unity, scaled;
        scaled.instrument.setParameter(Volume, c.decibels);
        scaled.message({0xB0, 7, c.channelVolume});
        scaled.message({0xB0, 11, c.expression});
        for (FrontPlayed* s : {&unity, &scaled})
            s->noteOn(60);
        const std::vector<float> a = unity.render(4096), b = scaled.render(4096);
        for (std::size_t i = 1000; i < a.size(); ++i) // the glide is over by then
            ASSERT_NEAR(b[i], a[i] * c.gain, 1e-5 * std::fabs(a[i]) + 1e-9) << i;
    }
}

// A change glides: no step of the output is larger than the signal's own, even when the level
// drops 40 dB at the crest of a low sine. Adding into the host's buffers gives what replacing
// gives, added, through blocks longer than the engine's scratch.
TEST(Volume, ChangesGlideAndAddingMatchesReplacing) {
    FrontPlayed steady, changed;
    for (FrontPlayed* s : {&steady, &changed}) {
        s->pureSine();
        s->noteOn(45, 127);
    }
    const std::vector<float> x = steady.render(12000);
    const int crest = static_cast<int>(std::max_element(x.begin() + 8000, x.end()) - x.begin());
    std::vector<float> y = changed.render(crest);
    changed.instrument.setParameter(Volume, -40.0f);
    const std::vector<float> rest = changed.render(12000 - crest);
    y.insert(y.end(), rest.begin(), rest.end());
    float ownStep = 0, step = 0;
    for (std::size_t i = 8000; i < x.size(); ++i) {
        ownStep = std::max(ownStep, std::fabs(x[i] - x[i - 1]));
        step = std::max(step, std::fabs(y[i] - y[i - 1]));
    }
    EXPECT_LE(step, ownStep);
    EXPECT_NEAR(y.back(), 0.01 * x.back(), 1e-4 * ownStep);

    FrontPlayed adding, replacing;
    for (FrontPlayed* s : {&adding, &replacing}) {
        s->instrument.setParameter(Volume, -10.0f);
        s->noteOn(48);
        s->noteOn(55, 80);
    }
    for (int call = 0; call < 6; ++call) {
        if (call == 2)
            for (FrontPlayed* s : {&adding, &replacing})
                s->message({0xB0, 11, 50});
        std::vector<float> left(1000, 0.25f), right(1000, -0.5f);
        adding.instrument.render(left.data(), right.data(), 1000);
        const std::vector<float> voices = replacing.render(1000);
        for (std::size_t i = 0; i < voices.size(); ++i) {
            ASSERT_EQ(left[i], 0.25f + voices[i]) << call << ", " << i;
            ASSERT_EQ(right[i], -0.5f + voices[i]) << call << ", " << i;
        }
    }
}

} // namespace
