// A control's value as a person reads it beside the control: in the control's own unit, with as
// many decimals as its steps need ("0.50", "-6.0 dB", "12 st", "5.5 Hz", "Natural", "x4.0").
#pragma once

#include <cstdint>
#include <string>

// Empty for an index that is no control.
std::string controlValueText(std::int32_t index, float value);
