#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "synth/tuning/tuning_table.h"

namespace {

double centsBetween(double hz, double reference) {
    return 1200.0 * std::log2(hz / reference);
}

// An equal division of 2/1 into `steps`, each degree written as cents but the 2/1 period.
std::string equalScale(int steps) {
    const std::string count = std::to_string(steps);
    std::string text = "! equal.scl\n";
    for (const char* part : {count.c_str(), "-tone equal temperament\n ", count.c_str(), "\n!\n"})
        text += part;
    for (int step = 1; step < steps; ++step) {
        text += std::to_string(step * 1200.0 / steps);
        text += '\n';
    }
    return text + "2/1\n";
}

TEST(TuningTable, NineteenStepsWithMiddleCAtItsConcertPitch) {
    std::string kbm = "! e19.kbm\n19\n0\n127\n60\n60\n261.625565\n19\n! Mapping.\n";
    for (int degree = 0; degree < 19; ++degree)
        kbm += std::to_string(degree) + "\n";
    const ScalaScale scale = parseScalaScale(equalScale(19), "e19.scl");
    const KeyboardMap map = parseKeyboardMap(kbm, "e19.kbm");
    ASSERT_EQ(scale.error + map.error, "");
    const TuningTable table = tuningTable(scale, map);
    for (const int note : {60, 61, 62, 69, 79}) {
        const double expected = 261.625565 * std::exp2((note - 60) / 19.0);
        EXPECT_NEAR(centsBetween(table.hz[note], expected), 0.0, 0.1) << note;
        EXPECT_TRUE(table.sounds[note]);
    }
}

TEST(TuningTable, TwelveEqualStepsOnTheDefaultMappingAreEqualTemperamentBitForBit) {
    std::string cents = "12 of 1200 cents\n12\n";
    for (int step = 1; step <= 12; ++step)
        cents += std::to_string(step * 100) + ".0\n";
    EXPECT_EQ(tuningTable(parseScalaScale(cents, "e12.scl")), equalTemperamentTable());
    for (const int note : {0, 57, 69, 127})
        EXPECT_EQ(equalTemperamentTable().hz[note], 440.0 * std::pow(2.0, (note - 69) / 12.0));
    // A faulty scale leaves equal temperament.
    EXPECT_EQ(tuningTable(parseScalaScale("x\n2\n", "bad.scl")), equalTemperamentTable());
}

TEST(TuningTable, JustRatiosKeepTheirIntervalsAroundA440) {
    const ScalaScale scale =
        parseScalaScale("Ptolemy's intense diatonic, chromatic\n12\n16/15\n9/8\n6/5\n5/4\n4/3\n"
                        "45/32\n3/2\n8/5\n5/3\n9/5\n15/8\n2/1\n",
                        "just.scl");
    ASSERT_EQ(scale.error, "");
    const TuningTable table = tuningTable(scale);
    const double ratios[] = {1.0,       16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3,
                             45.0 / 32, 3.0 / 2,   8.0 / 5, 5.0 / 3, 9.0 / 5, 15.0 / 8};
    for (int note = 0; note < kTuningNotes; ++note) {
        const double octaves = std::floor((note - 60) / 12.0);
        // Note 69 at 440 Hz puts note 60 (5/3 below it) at 264 Hz.
        const double expected = 264.0 * std::exp2(octaves) * ratios[(note + 120 - 60) % 12];
        EXPECT_NEAR(table.hz[note] / expected, 1.0, 1e-12) << note;
    }
}

TEST(TuningTable, UnmappedKeysAndKeysOutsideTheRangeDoNotSound) {
    // Five keys a repetition on C D E F G of twelve steps, the third entry x, the fifth left
    // out; only notes 48 to 84 sound. Each repetition is the octave degree higher: 7 steps
    // (a fifth), or with 0 the scale's period.
    const ScalaScale scale = parseScalaScale(equalScale(12), "e12.scl");
    for (const auto& [octaveDegree, repeatCents] : {std::pair{"7", 700.0}, {"0", 1200.0}}) {
        const KeyboardMap map = parseKeyboardMap(std::string("5\n48\n84\n60\n60\n261.6\n") +
                                                     octaveDegree + "\n0\n2\nx\n5\n",
                                                 "five.kbm");
        ASSERT_EQ(map.error, "");
        const TuningTable table = tuningTable(scale, map);
        const double cents[] = {0, 200, 0, 500, 0};
        for (int note = 0; note < kTuningNotes; ++note) {
            const int entry = ((note - 60) % 5 + 5) % 5;
            const bool mapped = entry != 2 && entry != 4;
            EXPECT_EQ(table.sounds[note], mapped && note >= 48 && note <= 84) << note;
            if (!table.sounds[note]) {
                EXPECT_EQ(table.hz[note], equalTemperamentHz(note)) << note;
                continue;
            }
            const double repeats = std::floor((note - 60) / 5.0);
            const double expected =
                261.6 * std::exp2((repeats * repeatCents + cents[entry]) / 1200.0);
            EXPECT_NEAR(centsBetween(table.hz[note], expected), 0.0, 1e-6) << note;
        }
    }
}

} // namespace
