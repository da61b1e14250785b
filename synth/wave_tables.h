// Process-wide wave tables, integer harmonic banks and note frequencies. Built once, read-only
// afterwards; every instance reads the same contents.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kTableSize = 4096;   // table steps per period
inline constexpr int kHarmonicBlocks = 7; // fundamental and six drawbars
inline constexpr int kBankCount = 4;      // sine, saw, square, triangle
inline constexpr std::int32_t kBankFullScale = 100000;

// Frequency multiplier of each bank block: the drawbar footages 2, 4, 8, 16, 6, 3 after the
// fundamental. Block k of a bank holds the base wave at this many times the frequency.
inline constexpr std::array<int, kHarmonicBlocks> kBlockMultiplier = {1, 2, 4, 8, 16, 6, 3};

enum BankIndex : int { SineBankIndex = 0, SawBankIndex, SquareBankIndex, TriangleBankIndex };

// A bank: 7 blocks of 4096 entries, entry i of block k at 4096 * k + i, full scale 100000.
using HarmonicBank = std::array<std::int32_t, kHarmonicBlocks * kTableSize>;

struct WaveTables {
    std::array<float, kTableSize> SineTable;
    std::array<float, kTableSize> SawTable;
    std::array<float, kTableSize> SquareTable;
    std::array<float, kTableSize> TriangleTable;
    std::array<HarmonicBank, kBankCount> banks; // by BankIndex
    std::array<float, 128> NoteFrequency;       // Hz, by MIDI note number
};

// Fills `tables` from the formulas.
void buildWaveTables(WaveTables& tables);

// The process's tables, built on first use (thread-safe).
const WaveTables& waveTables();
