// What --list-params and --list-presets print about the instrument chosen.
#pragma once

#include <string>
#include <vector>

#include "host/hosted_instrument.h"

// A table, one parameter a line under a heading: index, symbol (when the format has them),
// name, range with unit or named values, default.
std::string parameterListText(const std::vector<ParameterInfo>& parameters);

// The presets by family (presetListText), or a line saying there are none.
std::string presetsText(const std::vector<ListedPreset>& presets);
