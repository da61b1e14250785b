#include <gtest/gtest.h>

#include <cmath>

#include "synth/wave_tables.h"

namespace {

const WaveTables& t = waveTables();
const HarmonicBank& sine = t.banks[SineBankIndex];
const HarmonicBank& saw = t.banks[SawBankIndex];
const HarmonicBank& square = t.banks[SquareBankIndex];
const HarmonicBank& triangle = t.banks[TriangleBankIndex];

TEST(WaveTables, FundamentalBlocksHoldTheScaledWaves) {
    EXPECT_EQ(sine[0], 0);
    EXPECT_EQ(sine[512], 70711);
    EXPECT_EQ(sine[1024], 100000);
    EXPECT_EQ(sine[3072], -100000);
    EXPECT_EQ(triangle[1], 98);
    EXPECT_EQ(triangle[1024], 100000);
    EXPECT_EQ(triangle[2048], 0);
    EXPECT_EQ(triangle[3072], -100000);
    EXPECT_EQ(triangle[4095], -98);
    EXPECT_EQ(saw[0], -100000);
    EXPECT_EQ(saw[1], -99951);
    EXPECT_EQ(saw[32], -98438);
    EXPECT_EQ(saw[96], -95312); // -95312.5, a tie, rounds to even
    EXPECT_EQ(saw[2048], 0);
    EXPECT_EQ(saw[4095], 99951);
    for (int i = 0; i < 4096; ++i)
        EXPECT_EQ(square[i], i < 2048 ? -100000 : 100000);
}

TEST(WaveTables, SineHalvesAndQuartersAreExactNegations) {
    for (int j = 0; j < 1024; ++j) {
        EXPECT_EQ(t.SineTable[2048 + j], -t.SineTable[j]);
        EXPECT_EQ(t.SineTable[1024 + j], -t.SineTable[3072 + j]);
        EXPECT_NEAR(t.SineTable[j], std::sin(2 * M_PI * j / 4096), 1e-7);
    }
}

TEST(WaveTables, HigherBlocksAreTheWaveAtTheirMultiplier) {
    const int multiplier[7] = {1, 2, 4, 8, 16, 6, 3};
    for (const HarmonicBank* bank : {&sine, &saw, &square, &triangle})
        for (int k = 0; k < 7; ++k) {
            EXPECT_EQ((*bank)[4096 * k], (*bank)[0]);
            for (int i = 0; i < 4096; i += 7)
                ASSERT_EQ((*bank)[4096 * k + i], (*bank)[(multiplier[k] * i) % 4096])
                    << k << " " << i;
        }
    EXPECT_EQ(sine[4096 * 6 + 1], 460); // three times the frequency: entry 3 of the fundamental
    EXPECT_EQ(sine[4096 * 4 + 256], sine[0]);
}

TEST(WaveTables, NoteFrequenciesFollowTheSemitoneConstant) {
    EXPECT_EQ(t.NoteFrequency[69], 440.0f);
    EXPECT_FLOAT_EQ(t.NoteFrequency[60], 261.62558f);
    EXPECT_FLOAT_EQ(t.NoteFrequency[0], 8.1757994f);
    EXPECT_FLOAT_EQ(t.NoteFrequency[127], 12543.854f);
    // Built with 1.059463094359, slightly below the twelfth root of two.
    EXPECT_EQ(t.NoteFrequency[70], static_cast<float>(440.0 * 1.059463094359));
}

TEST(WaveTables, ARebuildGivesIdenticalContents) {
    auto again = std::make_unique<WaveTables>();
    buildWaveTables(*again);
    EXPECT_EQ(again->banks, t.banks);
    EXPECT_EQ(again->NoteFrequency, t.NoteFrequency);
}

} // namespace
