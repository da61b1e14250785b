// The controls and presets as Python names them: a control by its LV2 symbol, a preset by its
// name, each value checked against the control's range. Every fault is a UsageError with one
// line for the user, naming the nearest names of a misspelt one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "synth/parameters.h"

// The index of the control whose symbol is `symbol`.
std::int32_t controlIndex(std::string_view symbol);

// `value` for control `index` when it is a number in the control's range (a whole one for a
// whole-number control, 0 or 1 for a choice).
float checkedValue(std::int32_t index, double value);

// The control's value named by `choice` ("Natural", "Clean"), ignoring case.
float choiceValue(std::int32_t index, std::string_view choice);

// Every control's value of the factory preset called `name` (ignoring case).
std::array<float, kControlCount> presetValues(std::string_view name);
