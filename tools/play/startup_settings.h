// What the command line asks of the instrument before it plays: a program, a factory preset and
// single parameters.
#pragma once

#include <cstdint>
#include <string_view>

#include "synth/instrument.h"
#include "tools/play/play_options.h"

// The index of a parameter named by its symbol ("drawbar_8") or the instrument's name ("8");
// -1 for any other name.
std::int32_t findParameterIndex(std::string_view name);

// [main thread, before playing] --program, then --preset (its values and name into the current
// program), then each --param in order. Throws PlayError for an unknown preset or parameter.
void applyStartSettings(Instrument& instrument, const PlayOptions& options);
