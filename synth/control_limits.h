// What a control accepts: its value held within its range, whole where it takes whole numbers or
// a choice, and its range as text for messages. Fronts and readers of saved values share these,
// so that a value from a port, a bank or a preset means the same everywhere.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "synth/parameters.h"

// `value` (a number) held within control `index`'s range, rounded to the nearest whole value for
// whole-number and choice controls.
inline float heldInRange(std::int32_t index, float value) {
    const ControlRange& range = kControlRanges[index];
    const float held = value < range.minimum   ? range.minimum
                       : value > range.maximum ? range.maximum
                                               : value;
    return range.kind == ValueKind::Continuous ? held : std::round(held);
}

// "-60 to 12", locale-independent.
inline std::string rangeText(const ControlRange& range) {
    const auto number = [](float value) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        return std::string(text, result.ptr);
    };
    return number(range.minimum) + " to " + number(range.maximum);
}
