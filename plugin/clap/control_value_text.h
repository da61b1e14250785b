// A control's value as the host shows it (synth/control_text.h, as the editors show it) and
// reads it back from what a person types: in the control's own units ("-6.0 dB", "12 st",
// "Natural", "0.50", "x4.0"), independent of the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// [main thread] The text for `value` of control `index`, held within its range, into `text`
// (`capacity` bytes, always terminated); false for an index outside the controls or a buffer of
// no bytes.
bool controlValueToText(std::int32_t index, double value, char* text, std::size_t capacity);

// [any thread] The value `text` names for control `index`: a number, optionally with the
// control's unit after it (or before, "x4"), or a choice's name; held within the control's range.
// Empty when the text names no value.
std::optional<double> controlValueFromText(std::int32_t index, std::string_view text);
