// The Clean oscillators' tables: each bank's wave band-limited for a grid of phase steps, six
// per octave, built once per process and shared by every instance. A voice reads the grid entry
// of its band for the fundamental and the entries its drawbars' multiples reach; no partial of
// those reaches half the sample rate at any step up to the band's own.
#pragma once

#include <array>
#include <cstdint>

#include "synth/wave_tables.h"

inline constexpr std::int32_t kCleanStepsPerOctave = 6;
// Grid entry j holds the wave for phase steps up to 2^(j / 6): from 1 (entry 0, every harmonic
// the table holds) to 2048 (the last, silent: its fundamental would be at half the sample rate).
inline constexpr std::int32_t kCleanGridCount = 11 * kCleanStepsPerOctave + 1;
inline constexpr std::int32_t kCleanSilentEntry = kCleanGridCount - 1;

// How many grid entries above a voice's band each block reads: at least its multiplier's
// octaves, rounded up (6 and 3 are not powers of 2).
inline constexpr std::array<std::int32_t, kHarmonicBlocks> kCleanBlockOffset = {0,  6,  12, 18,
                                                                                24, 16, 10};

// A harmonic at `cycles` per sample keeps this share: all of it up to 0.4, none from 0.5 on,
// a raised cosine between.
double cleanHarmonicShare(double cycles);

struct CleanTables {
    // By bank and grid entry: the wave at full scale kBankFullScale, rounded.
    std::array<std::array<std::array<std::int32_t, kTableSize>, kCleanGridCount>, kBankCount> waves;
};

// The process's tables, built on first use (thread-safe; not on the audio thread).
const CleanTables& cleanTables();

// The band of a voice at phase step `step`: the first grid entry whose step is at least `step`
// (0 below 1, the silent entry from 2048 and for what is not a number).
std::int32_t cleanBand(float step);

// The band a voice in band `current` takes at phase step `step`. It follows the step up at once;
// down only by two bands or more: a band above holds fewer harmonics, never one past half the
// rate, and a vibrato around a band's edge then keeps one table instead of mixing two in turn.
std::int32_t nextCleanBand(std::int32_t current, float step);

// Grid entry that block `k` reads in band `band`.
inline std::int32_t cleanBlockEntry(std::int32_t band, int k) {
    const std::int32_t entry = band + kCleanBlockOffset[k];
    return entry < kCleanSilentEntry ? entry : kCleanSilentEntry;
}
