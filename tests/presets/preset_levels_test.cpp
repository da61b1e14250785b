// The factory bank as a player hears it: every preset at one loudness, headroom for a full chord,
// and the voices whose names promise a shape (a ring, a click, a bloom, a sweep) having it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "tests/presets/preset_takes.h"

namespace {

constexpr double kBandLu = 3.0;
constexpr double kPeakLimitDb = -1.0;

std::vector<Preset> factoryPresets() {
    std::ifstream in(ULVO_FACTORY_PRESETS);
    std::stringstream text;
    text << in.rdbuf();
    PresetParse parse = parsePresets(text.str());
    EXPECT_EQ(parse.error, "");
    return std::move(parse.presets);
}

const Preset& named(const std::vector<Preset>& presets, const char* name) {
    const Preset* preset = findPreset(presets, name);
    if (preset == nullptr) throw std::runtime_error(std::string("no preset ") + name);
    return *preset;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// How bright a stretch sounds: the rise from sample to sample against the signal itself, which
// grows with the share of high harmonics (a sine at f gives about 2 pi f / rate).
double brightness(const std::vector<float>& stereo, double from, double to) {
    const auto first = static_cast<std::size_t>(from * kTakeRate);
    const auto last = std::min(static_cast<std::size_t>(to * kTakeRate), stereo.size() / 2);
    double signal = 0.0, rise = 0.0;
    for (std::size_t i = first + 1; i < last; ++i) {
        const double x = stereo[i * 2], previous = stereo[(i - 1) * 2];
        signal += x * x;
        rise += (x - previous) * (x - previous);
    }
    return signal > 0.0 ? std::sqrt(rise / signal) : 0.0;
}

TEST(FactoryLevels, EveryPresetSitsWithinThreeLuOfTheMedianWithHeadroomForAFullChord) {
    const std::vector<Preset> presets = factoryPresets();
    ASSERT_GE(presets.size(), 32u);
    std::vector<double> loudness;
    for (const Preset& preset : presets) {
        loudness.push_back(momentaryMax(playTake(preset, kLevelChord)));
        EXPECT_LE(peakDb(playTake(preset, kPeakChord)), kPeakLimitDb)
            << preset.name << ": C2 to C6 at velocity 127";
    }
    const double middle = median(loudness);
    for (std::size_t i = 0; i < presets.size(); ++i)
        EXPECT_NEAR(loudness[i], middle, kBandLu)
            << presets[i].name << ": C3 E3 G3 C4 at velocity 100, LUFS";
}

// The volume control is what the bank is levelled with: it moves loudness and peak alike, by
// its decibels.
TEST(FactoryLevels, VolumeMovesLoudnessAndPeakByItsDecibels) {
    Preset organ = named(factoryPresets(), "Classic Organ");
    organ.values[Volume] = 0.0f;
    const std::vector<float> loud = playTake(organ, kLevelChord);
    organ.values[Volume] = -10.0f;
    const std::vector<float> quiet = playTake(organ, kLevelChord);
    EXPECT_NEAR(momentaryMax(loud) - momentaryMax(quiet), 10.0, 0.05);
    EXPECT_NEAR(peakDb(loud) - peakDb(quiet), 10.0, 0.05);
}

// Bells and mallets fall away while the key is held, rather than settling on a level.
TEST(FactoryVoices, BellsMalletsAndTheHarpsichordRingOut) {
    const std::vector<Preset> presets = factoryPresets();
    const Take held{{60}, 100, 4.0, 4.0};
    for (const char* name :
         {"Marimba", "Vibraphone", "Glocken Bell", "Tubular Bells", "Harpsichord"}) {
        const std::vector<float> note = playTake(named(presets, name), held);
        const double start = momentaryMax(note);
        EXPECT_LT(momentaryMax(note, 2.5), start - 12.0) << name << " still holds at 2.5 s";
        EXPECT_LT(momentaryMax(note, 1.0), start - 3.0) << name << " holds a plateau at 1 s";
    }
}

TEST(FactoryVoices, FiltersMoveWhereTheNamesSaySo) {
    const std::vector<Preset> presets = factoryPresets();
    const Take held{{48}, 100, 2.0, 2.0};

    // The percussive organ's click is a brighter attack, not only a louder one.
    const std::vector<float> organ = playTake(named(presets, "Perc Click Organ"), held);
    EXPECT_GT(brightness(organ, 0.0, 0.03), 1.4 * brightness(organ, 1.0, 1.5));

    // The brass opens as it swells.
    const std::vector<float> brass = playTake(named(presets, "Synth Brass"), held);
    EXPECT_GT(brightness(brass, 0.3, 0.4), 1.5 * brightness(brass, 0.0, 0.03));

    // The sweep opens well past the note's third harmonic, then settles back darker.
    const std::vector<float> sweep = playTake(named(presets, "Resonant Sweep"), held);
    const double fundamental = 2.0 * std::numbers::pi * 130.81 / kTakeRate;
    double brightest = 0.0;
    for (double t = 0.0; t < 1.0; t += 0.05)
        brightest = std::max(brightest, brightness(sweep, t, t + 0.05));
    EXPECT_GT(brightest, 3.0 * fundamental);
    EXPECT_LT(brightness(sweep, 1.0, 1.5), 0.75 * brightest);
    // ... and a short note of it still speaks.
    EXPECT_GT(peakDb(playTake(named(presets, "Resonant Sweep"), {{60}, 100, 0.12, 0.6})), -30.0);

    // The sub bass is darker than the square lead on the same note.
    const double sub = brightness(playTake(named(presets, "Square Sub Bass"), held), 0.5, 1.5);
    const double lead = brightness(playTake(named(presets, "Hollow Square Lead"), held), 0.5, 1.5);
    EXPECT_LT(sub, 0.5 * lead);
}

} // namespace
