// presets/factory.presets as it was at build time, so that the player needs no data file.
#pragma once

#include <string_view>

std::string_view factoryPresetsText();
