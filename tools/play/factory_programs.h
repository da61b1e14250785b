// The programs a fresh player starts with: the factory presets, so that a keyboard's program
// changes and the editor's chooser reach sounds rather than 32 copies of the defaults.
#pragma once

#include "synth/instrument.h"

// [main thread, before playing] The factory presets in their file order become the programs, each
// with every value and its name, the first as program 0; programs beyond the presets keep what
// they hold. Selects program 0. Throws ToolError should the built-in presets not parse.
void loadFactoryPrograms(Instrument& instrument);
