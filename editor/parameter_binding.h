// How each parameter maps onto the position of the control bound to it. A control has `steps`
// + 1 positions; a slider counts from the top, so its value grows as the position falls.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/round_half_even.h"
#include "synth/parameters.h"

struct ParameterBinding {
    std::int32_t steps; // 50 envelope sliders, 10 drawbar sliders, 100 knobs, 2 and 3 radio groups
    bool reversed;      // sliders: position 0 is the top, value 1

    // The value a control at position `n` stands for, exactly, from the integer position.
    double valueAt(std::int32_t n) const {
        return static_cast<double>(reversed ? steps - n : n) / steps;
    }
    // The number of steps from the bottom for a value: round(steps * v), halves to even. A host
    // may send any float; counts beyond kFarSteps either way are held there, so that a position
    // (steps - k) never overflows, and every control shows such values at its end all the same.
    static constexpr std::int32_t kFarSteps = 1 << 24;
    std::int32_t stepsFor(float value) const {
        return std::clamp(roundToInt(steps * static_cast<double>(value)), -kFarSteps, kFarSteps);
    }
    // The position that shows `value`; outside 0..steps when the value is outside 0..1.
    std::int32_t positionFor(float value) const {
        const std::int32_t k = stepsFor(value);
        return reversed ? steps - k : k;
    }
};

// By parameter index: Attack to Release on the envelope sliders, CutOff, Q and Env on knobs, Type
// and Wave on radio groups, the drawbars on their sliders, Smooth on a knob.
// clang-format off
inline constexpr std::array<ParameterBinding, kParameterCount> kBindings = {{
    {50, true}, {50, true}, {50, true}, {50, true},   // Attack, Decay, Sustain, Release
    {100, false}, {100, false},                       // CutOff, Q
    {2, false},                                       // Type
    {100, false},                                     // Env
    {10, true}, {10, true}, {10, true}, {10, true},   // Drawbar2, Drawbar4, Drawbar8, Drawbar16
    {10, true}, {10, true},                           // Drawbar6, Drawbar3
    {3, false},                                       // Wave
    {100, false},                                     // Smooth
}};
// clang-format on

// The value parameter `index`'s control reports when it stands where `value` puts it: what a
// form sends back after showing a value between two positions (a preset's 0.85 on a 50-step
// slider comes back as 0.86). A link takes that for no move of the user's.
inline float shownValue(std::int32_t index, float value) {
    const ParameterBinding& binding = kBindings[index];
    const std::int32_t position = std::clamp(binding.positionFor(value), 0, binding.steps);
    return static_cast<float>(binding.valueAt(position));
}
