// What the command line asks of the instrument before it plays: a program, a factory preset and
// single parameters, then the values settled at the server's sample rate.
#pragma once

#include "synth/instrument.h"
#include "tools/play/play_options.h"

// [main thread, before playing] --program, then --preset (its values and name into the current
// program), then each --param in order. Throws ToolError for an unknown preset or parameter.
void applyStartSettings(Instrument& instrument, const PlayOptions& options);

// [main thread, before playing] Takes `rate` and applies the current program twice, so that the
// sound depends on the values and the rate alone, whatever was applied before.
void settleAtRate(Instrument& instrument, float rate);
