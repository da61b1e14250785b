// Ten minutes of audio from a random host session: up to 64 events a block, parameter and
// program changes, sample-rate changes and odd block sizes, all with parameters in 0 to 1. Every
// sample is finite, the same on both outputs and within the loudest the instrument can be.
// Afterwards every note is released, and once the longest release has passed the output is
// exactly zero and every voice idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/vst2_quiet_host.h"
#include "plugin/vst2/avst_xsynth.h"
#include "plugin/vst2/plugin_factory.h"
#include "synth/engine_probe.h"
#include "tests/hardening/host_traffic.h"
#include "tests/hardening/run_length.h"

namespace {

constexpr float kSampleRates[] = {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f};

// The loudest one voice can be with parameters in 0 to 1: the filter output is a 32-bit integer
// (below 2^31 in size), the envelope at most 1 and the voice gain at most 2e-9 (velocity 127).
// All 17 voices may sound at once; the slack covers the float sums.
constexpr double kVoiceBound = 2147483648.0 * 2e-9;
constexpr double kPeakBound = kVoiceCount * kVoiceBound * (1.0 + 1e-5);

class LongRun : public ::testing::Test {
  protected:
    void SetUp() override {
        object = createEffectInstance(quietVst2Host);
        ASSERT_NE(object, nullptr);
        effect = object->getAeffect();
        synth = dynamic_cast<AVstXSynth*>(object);
        ASSERT_NE(synth, nullptr);
        dispatch(effect, effMainsChanged, 0, 1);
    }
    void TearDown() override {
        if (effect != nullptr) dispatch(effect, effClose);
    }

    // One block with processReplacing or, adding to what the buffers hold (`start`), process.
    void render(std::int32_t frames, bool replacing, float start = 0.0f) {
        std::fill(left.begin(), left.begin() + frames, start);
        std::fill(right.begin(), right.begin() + frames, start);
        float* outputs[2] = {left.data(), right.data()};
        if (replacing)
            effect->processReplacing(effect, nullptr, outputs, frames);
        else
            effect->process(effect, nullptr, outputs, frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            const float s = left[static_cast<std::size_t>(i)];
            if (!std::isfinite(s)) ++notFinite;
            if (std::memcmp(&s, &right[static_cast<std::size_t>(i)], sizeof s) != 0) ++unequal;
            peak = std::max(peak, std::fabs(static_cast<double>(s)));
        }
    }

    std::int32_t longestStartDelay() const {
        std::int32_t longest = 0;
        for (std::int32_t v = 0; v < kVoiceCount; ++v)
            if (EngineProbe::engine(synth->getInstrument()).voice(v).stage != Idle)
                longest = std::max(longest,
                                   EngineProbe::engine(synth->getInstrument()).voice(v).startDelay);
        return longest;
    }

    AudioEffect* object = nullptr;
    AEffect* effect = nullptr;
    AVstXSynth* synth = nullptr;
    EventBlock block;
    std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);
    long notFinite = 0, unequal = 0;
    double peak = 0;
};

TEST_F(LongRun, TenMinutesOfRandomPlayStayBoundedAndEndInExactSilence) {
    const double targetSeconds = RunLength{600.0, 180.0, 3.0}.pick();
    Random random(0x10A6D4A3u);
    float rate = 44100.0f;
    double seconds = 0;
    long blocks = 0, events = 0, rateChanges = 0;
    const auto started = std::chrono::steady_clock::now();
    while (seconds < targetSeconds) {
        if (random.chance(0.0005)) {
            // Hosts switch the plug-in off to change the rate.
            rate = kSampleRates[random.below(sizeof kSampleRates / sizeof kSampleRates[0])];
            dispatch(effect, effMainsChanged, 0, 0);
            dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
            dispatch(effect, effMainsChanged, 0, 1);
            ++rateChanges;
        }
        if (random.chance(0.3)) randomParameterWrites(random, effect);
        if (random.chance(0.02)) randomProgramOperation(random, effect);
        const std::int32_t frames = randomBlockSize(random);
        block.clear();
        addRandomMidi(random, block, frames, 64);
        ASSERT_EQ(block.sendTo(effect), 1);
        render(frames, random.chance(0.9));
        seconds += frames / static_cast<double>(rate);
        events += block.size();
        ++blocks;
    }
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.1f minutes of audio in %ld blocks, %ld events, %ld rate changes, peak %.4f, "
                "%.1f s wall\n",
                seconds / 60.0, blocks, events, rateChanges, peak, wallSeconds);
    EXPECT_EQ(notFinite, 0);
    EXPECT_EQ(unequal, 0);
    EXPECT_LE(peak, kPeakBound);

    // Every note released now; the release of the last voice to start ends within its start
    // delay, one sample for the release to begin, and the release itself.
    block.clear();
    for (int note = 0; note < 128; ++note)
        block.add(0x80, static_cast<std::uint8_t>(note), 0, 0);
    ASSERT_EQ(block.sendTo(effect), 1);
    std::int64_t tail = std::int64_t{longestStartDelay()} +
                        EngineProbe::engine(synth->getInstrument()).values().releaseLength.load() +
                        4;
    while (tail > 0) {
        const std::int32_t frames = static_cast<std::int32_t>(std::min<std::int64_t>(tail, 4096));
        render(frames, true);
        tail -= frames;
    }
    EXPECT_EQ(EngineProbe::engine(synth->getInstrument()).soundingVoices(), 0);
    for (std::int32_t v = 0; v < kVoiceCount; ++v)
        EXPECT_EQ(EngineProbe::engine(synth->getInstrument()).voice(v).stage, Idle)
            << "voice " << v;

    // processReplacing writes zeros over what was there; process adds nothing to it.
    for (bool replacing : {true, false, true}) {
        render(4096, replacing, 0.25f);
        const float expected = replacing ? 0.0f : 0.25f;
        for (std::size_t i = 0; i < 4096; ++i) {
            ASSERT_EQ(left[i], expected) << "frame " << i;
            ASSERT_FALSE(std::signbit(left[i])) << "frame " << i;
        }
    }
    EXPECT_EQ(notFinite, 0);
    EXPECT_EQ(unequal, 0);
}

} // namespace
