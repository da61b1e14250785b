// The presets text of presets/factory.presets: `[Name]` sections of `symbol = value` lines
// (symbols from kParameterSymbols), and `#` comment lines. A section gives every classic
// parameter once, from 0 to 1; a playing control it may give, in the control's own range, or
// leave at its default. A line `family = Organs` puts the preset in a family, by which lists
// group the presets; a line `description = ...` says in a few words how it sounds. Read from
// memory, so the LV2 bundle generator and a player take presets the same way.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "synth/parameters.h"

struct Preset {
    std::string name;                        // 1 to 23 characters, unique ignoring case
    std::array<float, kControlCount> values; // by control index
    std::string family;                      // empty when the section gives none
    std::string description;                 // one line; empty when the section gives none
};

struct PresetParse {
    std::vector<Preset> presets; // in file order; empty when the text did not parse
    std::string error;           // "line 12: ..." for the first fault; empty when the text parsed
};

PresetParse parsePresets(std::string_view text);

// The preset called `name`, or else the one whose name matches it ignoring ASCII case; null when
// there is none.
const Preset* findPreset(const std::vector<Preset>& presets, std::string_view name);
