// The factory presets as the tools carry them: presets/factory.presets as it was at build time,
// so that no data file is needed, and read once.
#pragma once

#include <string_view>
#include <vector>

#include "synth/preset_text.h"
#include "tools/common/preset_list.h"

std::string_view factoryPresetsText();

// Throws ToolError when the text does not read, which the build's own check of the file rules
// out.
const std::vector<Preset>& factoryPresets();

// By family, as the file groups them.
std::vector<ListedPreset> factoryPresetList();
