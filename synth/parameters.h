// The instrument's sixteen parameters: indices, names, defaults and the storage order that
// programs keep them in.
#pragma once

#include <array>
#include <cstdint>

enum ParameterIndex : std::int32_t {
    Attack = 0,
    Decay,
    Sustain,
    Release,
    CutOff,
    Q,
    Type,
    Env,
    Drawbar2,
    Drawbar4,
    Drawbar8,
    Drawbar16,
    Drawbar6,
    Drawbar3,
    Wave,
    Smooth,
};

inline constexpr std::int32_t kParameterCount = 16;

// Parameter index of each storage slot: CutOff, Q, Type, Attack, Decay, Sustain, Release, Env,
// the drawbars, Wave, Smooth.
inline constexpr std::array<std::int32_t, kParameterCount> kStorageOrder = {
    CutOff,   Q,        Type,     Attack,    Decay,    Sustain,  Release, Env,
    Drawbar2, Drawbar4, Drawbar8, Drawbar16, Drawbar6, Drawbar3, Wave,    Smooth};

// Order in which several values are applied (a program, a set of changes; see
// Instrument::applyValues): Env moves up to fourth place, so the drawbars come after the filter
// and envelope values.
inline constexpr std::array<std::int32_t, kParameterCount> kProgramApplyOrder = {
    CutOff,   Q,        Type,     Env,       Attack,   Decay,    Sustain, Release,
    Drawbar2, Drawbar4, Drawbar8, Drawbar16, Drawbar6, Drawbar3, Wave,    Smooth};

// Storage slot of each parameter index (the inverse of kStorageOrder).
inline constexpr std::array<std::int32_t, kParameterCount> kStorageSlot = [] {
    std::array<std::int32_t, kParameterCount> slots{};
    for (std::int32_t slot = 0; slot < kParameterCount; ++slot)
        slots[kStorageOrder[slot]] = slot;
    return slots;
}();

// Names as the host shows them; the drawbars are named by their footage.
inline constexpr std::array<const char*, kParameterCount> kParameterNames = {
    "A", "D", "S", "R",  "CutOff", "Q", "Type", "Env",
    "2", "4", "8", "16", "6",      "3", "Wave", "Smooth"};

// Default of every parameter, by index; 0.1f is the single-precision value nearest to 0.1.
inline constexpr std::array<float, kParameterCount> kParameterDefaults = {
    0.1f, 0.1f, 0.5f, 0.1f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f};

inline constexpr const char* kParameterLabel = "/1";

// Readable identifiers for formats that name parameters in text (LV2 port symbols, preset files,
// command lines): lower case, digits and underscores, unique.
inline constexpr std::array<const char*, kParameterCount> kParameterSymbols = {
    "attack",      "decay",     "sustain",   "release",   "cutoff",    "resonance",
    "filter_type", "env_depth", "drawbar_2", "drawbar_4", "drawbar_8", "drawbar_16",
    "drawbar_6",   "drawbar_3", "wave",      "smooth"};

constexpr bool isParameterIndex(std::int32_t index) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(kParameterCount);
}

// Some or all of the sixteen values, by parameter index: what a front hands over when several
// parameters change at once.
struct ParameterSet {
    std::array<float, kParameterCount> values{};
    std::array<bool, kParameterCount> given{};

    void set(std::int32_t index, float value) {
        values[index] = value;
        given[index] = true;
    }
};
