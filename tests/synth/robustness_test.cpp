// Hostile input from a host: whatever arrives, the render stays finite and inside its buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "tests/synth/synth_fixture.h"

namespace {

TEST(Render, HostileParametersNeverPutNonFiniteSamplesOut) {
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            3.4e38f, -3.4e38f, 1e-40f, 7.0f, -2.0f};
    for (int index = 0; index < 16; ++index)
        for (float value : values) {
            SynthHost s;
            for (int n = 0; n < 17; ++n) s.noteOn(n * 7, 127, n);
            s.synth.setParameter(index, value);
            s.send({{0, 0xE0, 0, 127}});
            for (float x : s.render(600)) ASSERT_TRUE(std::isfinite(x)) << index << " " << value;
        }
    SynthHost all;
    for (int n = 0; n < 17; ++n) all.noteOn(n * 7, 127, n);
    for (int index = 0; index < 16; ++index) all.synth.setParameter(index, 3.4e38f);
    for (float x : all.render(2000)) ASSERT_TRUE(std::isfinite(x));
}

TEST(Render, GarbageMidiAndAZeroSampleRateStayFinite) {
    SynthHost s;
    s.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);
    std::mt19937 random(7);
    for (int block = 0; block < 200; ++block) {
        std::vector<MidiMessage> messages;
        for (int i = 0; i < 40; ++i)
            messages.push_back({static_cast<int>(random()) % 5000 - 1000,
                                static_cast<unsigned char>(random()),
                                static_cast<unsigned char>(random()),
                                static_cast<unsigned char>(random())});
        s.send(messages);
        for (float x : s.render(static_cast<int>(random() % 700)))
            ASSERT_TRUE(std::isfinite(x));
    }
}

TEST(Render, PhaseLosesWholePeriodsAtVeryLowSampleRates) {
    SynthHost s;
    s.dispatch(effSetSampleRate, 0, 0, nullptr, 100.0f); // a phase step far above 4096
    s.noteOn(120, 100);
    const float step = s.voice(1).phaseStep;
    ASSERT_GT(step, 4096.0f * 10);
    for (int i = 0; i < 50; ++i) {
        s.render(13);
        EXPECT_GE(s.voice(1).phase, 0.0f);
        EXPECT_LT(s.voice(1).phase, 4096.0f + step);
    }
}

} // namespace
