// The instrument's controls: the sixteen classic parameters that every front has, then the playing
// controls that every front but VST 2 adds (level, touch, bend, vibrato, envelope shape, the
// oscillators' kind). Indices,
// names, ranges, defaults, the values that give the classic sound, and the storage order that
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
    // The playing controls, in their own units.
    Volume,        // dB
    VelocitySense, // 0 to 1
    BendRange,     // semitones, whole
    VibratoRate,   // Hz
    VibratoDepth,  // cents at full wheel or pressure
    EnvCurve,      // EnvelopeCurve
    EnvScale,      // factor on the attack, decay and release times
    Oscillators,   // OscillatorKind
};

// The classic parameters: what the VST 2 build has, all from 0 to 1.
inline constexpr std::int32_t kParameterCount = 16;
// Every control of the other fronts.
inline constexpr std::int32_t kControlCount = 24;

enum EnvelopeCurve : std::int32_t { LinearCurve = 0, NaturalCurve = 1 };

// Classic reads the tables as they always were; Clean reads band-limited ones, interpolated,
// with nothing at or above half the sample rate.
enum OscillatorKind : std::int32_t { ClassicOscillators = 0, CleanOscillators = 1 };

// Parameter index of each storage slot: CutOff, Q, Type, Attack, Decay, Sustain, Release, Env,
// the drawbars, Wave, Smooth, then the playing controls in index order.
inline constexpr std::array<std::int32_t, kControlCount> kStorageOrder = {
    CutOff,    Q,           Type,         Attack,   Decay,    Sustain,
    Release,   Env,         Drawbar2,     Drawbar4, Drawbar8, Drawbar16,
    Drawbar6,  Drawbar3,    Wave,         Smooth,   Volume,   VelocitySense,
    BendRange, VibratoRate, VibratoDepth, EnvCurve, EnvScale, Oscillators};

// Order in which the classic values are applied (a program, a set of changes; see
// Instrument::applyValues): Env moves up to fourth place, so the drawbars come after the filter
// and envelope values.
inline constexpr std::array<std::int32_t, kParameterCount> kProgramApplyOrder = {
    CutOff,   Q,        Type,     Env,       Attack,   Decay,    Sustain, Release,
    Drawbar2, Drawbar4, Drawbar8, Drawbar16, Drawbar6, Drawbar3, Wave,    Smooth};

// Order in which every control is applied: the playing controls first, so that the envelope
// lengths already know their scale, then the classic values in their order.
inline constexpr std::array<std::int32_t, kControlCount> kControlApplyOrder = [] {
    std::array<std::int32_t, kControlCount> order{};
    for (std::int32_t i = 0; i < kControlCount - kParameterCount; ++i)
        order[i] = kParameterCount + i;
    for (std::int32_t i = 0; i < kParameterCount; ++i)
        order[kControlCount - kParameterCount + i] = kProgramApplyOrder[i];
    return order;
}();

// The drawbar parameters, Drawbar2 to Drawbar3 in index order.
inline constexpr std::int32_t kDrawbarCount = Drawbar3 - Drawbar2 + 1;

// Order in which settled values are applied (Instrument::settleProgram): every control in
// kControlApplyOrder, then the drawbars once more, each finding the others at their final values.
// Under the classic drawbar rule, too, the weights then follow the positions alone, whatever stood
// before. A build with the classic values alone (VST 2) takes the classic indices of it.
inline constexpr std::array<std::int32_t, kControlCount + kDrawbarCount> kSettleOrder = [] {
    std::array<std::int32_t, kControlCount + kDrawbarCount> order{};
    for (std::int32_t i = 0; i < kControlCount; ++i)
        order[i] = kControlApplyOrder[i];
    for (std::int32_t i = 0; i < kDrawbarCount; ++i)
        order[kControlCount + i] = Drawbar2 + i;
    return order;
}();

// Storage slot of each parameter index (the inverse of kStorageOrder).
inline constexpr std::array<std::int32_t, kControlCount> kStorageSlot = [] {
    std::array<std::int32_t, kControlCount> slots{};
    for (std::int32_t slot = 0; slot < kControlCount; ++slot)
        slots[kStorageOrder[slot]] = slot;
    return slots;
}();

// Names as the host shows them; the drawbars are named by their footage.
inline constexpr std::array<const char*, kControlCount> kParameterNames = {
    "A",          "D",        "S",         "R",         "CutOff",    "Q",
    "Type",       "Env",      "2",         "4",         "8",         "16",
    "6",          "3",        "Wave",      "Smooth",    "Volume",    "Velocity",
    "Bend Range", "Vib Rate", "Vib Depth", "Env Curve", "Env Scale", "Oscillators"};

// Default of every control, by index; 0.1f is the single-precision value nearest to 0.1.
inline constexpr std::array<float, kControlCount> kParameterDefaults = {
    0.1f, 0.1f, 0.5f, 0.1f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f,  0.5f, 0.5f, 0.5f,
    0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 2.0f, 5.5f, 30.0f, 1.0f, 1.0f, 1.0f};

// The values of the playing controls that give the classic sound: what the VST 2 build plays with,
// and what a bank saved before the playing controls existed loads with. The classic parameters
// keep their defaults here.
inline constexpr std::array<float, kControlCount> kClassicValues = {
    0.1f, 0.1f, 0.5f, 0.1f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
    0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 5.5f, 0.0f, 0.0f, 1.0f, 0.0f};

inline constexpr const char* kParameterLabel = "/1";

// Readable identifiers for formats that name parameters in text (LV2 port symbols, preset files,
// command lines): lower case, digits and underscores, unique.
inline constexpr std::array<const char*, kControlCount> kParameterSymbols = {
    "attack",      "decay",        "sustain",       "release",   "cutoff",    "resonance",
    "filter_type", "env_depth",    "drawbar_2",     "drawbar_4", "drawbar_8", "drawbar_16",
    "drawbar_6",   "drawbar_3",    "wave",          "smooth",    "volume",    "velocity_sense",
    "bend_range",  "vibrato_rate", "vibrato_depth", "env_curve", "env_scale", "oscillators"};

// What values a control takes: any within its range, whole numbers, or one of named choices.
enum class ValueKind { Continuous, Integer, Choice };

struct ControlRange {
    float minimum, maximum;
    ValueKind kind;
    const char* unit; // as a number's suffix in text: "dB", "Hz"; empty for none
};

inline constexpr std::array<ControlRange, kControlCount> kControlRanges = [] {
    std::array<ControlRange, kControlCount> ranges{};
    for (std::int32_t i = 0; i < kParameterCount; ++i)
        ranges[i] = {0.0f, 1.0f, ValueKind::Continuous, ""};
    ranges[Volume] = {-60.0f, 12.0f, ValueKind::Continuous, "dB"};
    ranges[VelocitySense] = {0.0f, 1.0f, ValueKind::Continuous, ""};
    ranges[BendRange] = {1.0f, 24.0f, ValueKind::Integer, "st"};
    ranges[VibratoRate] = {0.5f, 12.0f, ValueKind::Continuous, "Hz"};
    ranges[VibratoDepth] = {0.0f, 100.0f, ValueKind::Continuous, "ct"};
    ranges[EnvCurve] = {0.0f, 1.0f, ValueKind::Choice, ""};
    ranges[EnvScale] = {1.0f, 16.0f, ValueKind::Continuous, "x"};
    ranges[Oscillators] = {0.0f, 1.0f, ValueKind::Choice, ""};
    return ranges;
}();

// The names of the env_curve choices, by value.
inline constexpr std::array<const char*, 2> kEnvCurveNames = {"Linear", "Natural"};
// The names of the oscillators choices, by value.
inline constexpr std::array<const char*, 2> kOscillatorNames = {"Classic", "Clean"};

// The names of a choice control's values (env_curve, oscillators), by value.
constexpr const std::array<const char*, 2>& choiceNames(std::int32_t index) {
    return index == Oscillators ? kOscillatorNames : kEnvCurveNames;
}

constexpr bool isParameterIndex(std::int32_t index) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(kParameterCount);
}

constexpr bool isControlIndex(std::int32_t index) {
    return static_cast<std::uint32_t>(index) < static_cast<std::uint32_t>(kControlCount);
}

// Some or all of the values, by control index: what a front hands over when several controls
// change at once.
struct ParameterSet {
    std::array<float, kControlCount> values{};
    std::array<bool, kControlCount> given{};

    void set(std::int32_t index, float value) {
        values[index] = value;
        given[index] = true;
    }
};
