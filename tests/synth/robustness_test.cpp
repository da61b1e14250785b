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
                            3.4e38f,
                            -3.4e38f,
                            1e-40f,
                            7.0f,
                            -2.0f};
    for (int index = 0; index < 16; ++index)
        for (float value : values) {
            PlayedInstrument s;
            for (int n = 0; n < 17; ++n)
                s.noteOn(n * 7, 127, n);
            s.instrument.setParameter(index, value);
            s.send({{0, 0xE0, 0, 127}});
            for (float x : s.render(600))
                ASSERT_TRUE(std::isfinite(x)) << index << " " << value;
        }
    PlayedInstrument all;
    for (int n = 0; n < 17; ++n)
        all.noteOn(n * 7, 127, n);
    for (int index = 0; index < 16; ++index)
        all.instrument.setParameter(index, 3.4e38f);
    for (float x : all.render(2000))
        ASSERT_TRUE(std::isfinite(x));
}

const std::vector<std::uint8_t> kLoudChord = {36, 48, 55, 60, 64, 96};

// `notes` held at full velocity for a second through the instrument alone, with `hostile`
// applied after they start: the first sample that is not finite, or -1.
std::int64_t firstNonFinite(float rate, const std::vector<std::pair<std::int32_t, float>>& hostile,
                            const std::vector<std::uint8_t>& notes = kLoudChord) {
    Instrument instrument;
    instrument.setSampleRate(rate);
    instrument.selectProgram(0);
    for (std::uint8_t note : notes)
        instrument.noteOn(note, 127, 0);
    // Long blocks, as hosts may give: voices that sustain run through a whole block at once.
    constexpr std::int32_t kBlock = 4096;
    std::vector<float> left(kBlock), right(kBlock);
    const auto frames = static_cast<std::int64_t>(rate);
    for (std::int64_t at = 0; at < frames; at += kBlock) {
        if (at == kBlock)
            for (const auto& [index, value] : hostile)
                instrument.setParameter(index, value);
        instrument.renderReplacing(left.data(), right.data(), kBlock);
        for (std::size_t i = 0; i < left.size(); ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                return at + static_cast<std::int64_t>(i);
    }
    return -1;
}

TEST(Render, EveryHostileValueOnEveryParameterKeepsALoudChordFinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                             inf,
                             -inf,
                             3.4e38f,
                             -3.4e38f,
                             1e-40f,
                             -1e-40f,
                             2.0f,
                             -1.0f,
                             96000.0f};
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        for (float value : hostile)
            EXPECT_EQ(firstNonFinite(44100.0f, {{index, value}}), -1)
                << kParameterSymbols[index] << " at " << value;
    // A strong resonance beyond the range, with the cut-off open, is where the filter used to
    // run away, with every filter type and at the rates hosts use; a lone voice has no louder one
    // beside it to reveal that its values ran away.
    for (float q : {2.0f, 5.0f})
        for (float type : {0.0f, 0.5f, 1.0f, 1.5f})
            for (float rate : {44100.0f, 8000.0f, 192000.0f})
                for (const auto& notes : {kLoudChord, std::vector<std::uint8_t>{90}})
                    EXPECT_EQ(firstNonFinite(
                                  rate, {{Q, q}, {Type, type}, {CutOff, 1.0f}, {Env, 0.0f}}, notes),
                              -1)
                        << "resonance " << q << ", type " << type << ", " << notes.size()
                        << " notes, " << rate << " Hz";
}

TEST(Render, GarbageMidiAndAZeroSampleRateStayFinite) {
    PlayedInstrument s;
    s.instrument.setSampleRate(0.0f);
    std::mt19937 random(7);
    for (int block = 0; block < 200; ++block) {
        std::vector<MidiMessage> messages;
        for (int i = 0; i < 40; ++i)
            messages.push_back(
                {static_cast<int>(random()) % 5000 - 1000, static_cast<unsigned char>(random()),
                 static_cast<unsigned char>(random()), static_cast<unsigned char>(random())});
        s.send(messages);
        for (float x : s.render(static_cast<int>(random() % 700)))
            ASSERT_TRUE(std::isfinite(x));
    }
}

TEST(Render, PhaseLosesWholePeriodsAtVeryLowSampleRates) {
    PlayedInstrument s;
    s.instrument.setSampleRate(100.0f); // a phase step far above 4096
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
