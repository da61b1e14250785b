// What the command line asks of the instrument before it plays: a program, a factory preset and
// single parameters.
#pragma once

#include "synth/instrument.h"
#include "tools/play/play_options.h"

// [main thread, before playing] --program, then --preset (its values and name into the current
// program), then each --param in order. Throws UsageError for an unknown preset or parameter,
// naming the nearest, and for a value outside the parameter's range.
void applyStartSettings(Instrument& instrument, const PlayOptions& options);
