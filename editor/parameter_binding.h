// How each control maps onto the position of the form's control bound to it. A control has
// `steps` + 1 positions, evenly over the control's range; a slider counts from the top, so its
// value grows as the position falls.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/round_half_even.h"
#include "synth/parameters.h"

struct ParameterBinding {
    std::int32_t steps; // 50 envelope sliders, 10 drawbar sliders, 100 knobs, 2 and 3 radio groups
    bool reversed;      // sliders: position 0 is the top, the range's maximum
    double minimum = 0.0; // the control's range (kControlRanges): 0 to 1 for the classic ones
    double maximum = 1.0;

    // The value `k` steps above the minimum, exactly from the integer count; for the classic
    // parameters k / steps to the bit.
    double valueOfSteps(std::int32_t k) const { return minimum + (maximum - minimum) * k / steps; }
    // The value a control at position `n` stands for.
    double valueAt(std::int32_t n) const { return valueOfSteps(reversed ? steps - n : n); }
    // The number of steps from the bottom for a value: round(steps * v) over the range, halves
    // to even. A host may send any float; counts beyond kFarSteps either way are held there, so
    // that a position (steps - k) never overflows, and every control shows such values at its
    // end all the same.
    static constexpr std::int32_t kFarSteps = 1 << 24;
    std::int32_t stepsFor(float value) const {
        const double fraction = (static_cast<double>(value) - minimum) / (maximum - minimum);
        return std::clamp(roundToInt(steps * fraction), -kFarSteps, kFarSteps);
    }
    // The position that shows `value`; outside 0..steps when the value is outside the range.
    std::int32_t positionFor(float value) const {
        const std::int32_t k = stepsFor(value);
        return reversed ? steps - k : k;
    }
};

namespace binding_detail {
// A playing control on a slider of `steps` steps over its own range; a whole number snaps with one
// step per value.
constexpr ParameterBinding onSlider(std::int32_t index, std::int32_t steps) {
    return {steps, true, kControlRanges[index].minimum, kControlRanges[index].maximum};
}
// A choice on a radio group, one item per value.
constexpr ParameterBinding onRadioGroup(std::int32_t index) {
    const ControlRange& range = kControlRanges[index];
    return {static_cast<std::int32_t>(range.maximum - range.minimum), false, range.minimum,
            range.maximum};
}
} // namespace binding_detail

// By control index: Attack to Release on the envelope sliders, CutOff, Q and Env on knobs, Type
// and Wave on radio groups, the drawbars on their sliders, Smooth on a knob; then the playing
// controls of the editor's strip, each on a slider with steps a person reads as round numbers
// (1 dB, 0.05, a semitone, 0.25 Hz, 2 cents, a quarter of the envelope times), and the envelope
// curve and the oscillators on radio groups.
// clang-format off
inline constexpr std::array<ParameterBinding, kControlCount> kBindings = {{
    {50, true}, {50, true}, {50, true}, {50, true},   // Attack, Decay, Sustain, Release
    {100, false}, {100, false},                       // CutOff, Q
    {2, false},                                       // Type
    {100, false},                                     // Env
    {10, true}, {10, true}, {10, true}, {10, true},   // Drawbar2, Drawbar4, Drawbar8, Drawbar16
    {10, true}, {10, true},                           // Drawbar6, Drawbar3
    {3, false},                                       // Wave
    {100, false},                                     // Smooth
    binding_detail::onSlider(Volume, 72),
    binding_detail::onSlider(VelocitySense, 20),
    binding_detail::onSlider(BendRange, 23),
    binding_detail::onSlider(VibratoRate, 46),
    binding_detail::onSlider(VibratoDepth, 50),
    binding_detail::onRadioGroup(EnvCurve),
    binding_detail::onSlider(EnvScale, 60),
    binding_detail::onRadioGroup(Oscillators),
}};
// clang-format on

// The value control `index`'s control reports when it stands where `value` puts it: what a
// form sends back after showing a value between two positions (a preset's 0.85 on a 50-step
// slider comes back as 0.86). A link takes that for no move of the user's.
inline float shownValue(std::int32_t index, float value) {
    const ParameterBinding& binding = kBindings[index];
    const std::int32_t position = std::clamp(binding.positionFor(value), 0, binding.steps);
    return static_cast<float>(binding.valueAt(position));
}
