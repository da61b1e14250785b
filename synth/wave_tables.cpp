#include "synth/wave_tables.h"

#include <cmath>
#include <memory>

#include "core/round_half_even.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// The semitone ratio as a decimal constant, a little below the twelfth root of 2.
constexpr double kSemitone = 1.059463094359;

void buildFloatTables(WaveTables& t) {
    for (int i = 0; i < kTableSize; ++i) {
        t.SawTable[i] = static_cast<float>(i * (1.0 / 4096.0) * 2.0 - 1.0);
        t.SquareTable[i] = i < 2048 ? -1.0f : 1.0f;
    }
    // Built by quarters so that the halves are exact negations of each other.
    for (int j = 0; j < 1024; ++j) {
        t.SineTable[j] = static_cast<float>(std::sin(j * kPi / 2048.0));
        t.SineTable[3072 + j] = static_cast<float>(std::sin((j - 1024) * kPi / 2048.0));
    }
    for (int j = 0; j < 1024; ++j) {
        t.SineTable[1024 + j] = -t.SineTable[3072 + j];
        t.SineTable[2048 + j] = -t.SineTable[j];
    }
    for (int j = 0; j < 1024; ++j) {
        const float rise = static_cast<float>(j / 1024.0);
        t.TriangleTable[j] = rise;
        t.TriangleTable[1024 + j] = 1.0f - rise;
        t.TriangleTable[2048 + j] = -rise;
        t.TriangleTable[3072 + j] = rise - 1.0f;
    }
}

void buildBank(HarmonicBank& bank, const std::array<float, kTableSize>& wave) {
    for (int i = 0; i < kTableSize; ++i)
        bank[i] = roundToInt(static_cast<double>(wave[i]) * kBankFullScale);
    for (int k = 1; k < kHarmonicBlocks; ++k)
        for (int i = 0; i < kTableSize; ++i)
            bank[kTableSize * k + i] = bank[(kBlockMultiplier[k] * i) & (kTableSize - 1)];
}

} // namespace

void buildWaveTables(WaveTables& t) {
    buildFloatTables(t);
    buildBank(t.banks[SineBankIndex], t.SineTable);
    buildBank(t.banks[SawBankIndex], t.SawTable);
    buildBank(t.banks[SquareBankIndex], t.SquareTable);
    buildBank(t.banks[TriangleBankIndex], t.TriangleTable);

    // Note 0 is three semitones above 6.875 Hz; every product is rounded to double.
    double x = 6.875;
    for (int i = 0; i < 3; ++i)
        x *= kSemitone;
    for (int n = 0; n < 128; ++n) {
        t.NoteFrequency[n] = static_cast<float>(x);
        x *= kSemitone;
    }
}

const WaveTables& waveTables() {
    static const std::unique_ptr<WaveTables> tables = [] {
        auto built = std::make_unique<WaveTables>();
        buildWaveTables(*built);
        return built;
    }();
    return *tables;
}
