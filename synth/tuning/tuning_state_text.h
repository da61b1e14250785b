// The tuning's files as lines of a saved state's text, one line for each file's name and one for
// its text, so that a line-based state keeps them whole:
//   scale-name NAME          scale-text TEXT          keymap-name NAME          keymap-text TEXT
// In a TEXT, a backslash, CR and LF are written \\ \r \n. A file the state lacks has no lines.
#pragma once

#include <string>
#include <string_view>

#include "synth/tuning/tuning_source.h"

// The lines of `source`'s files, each ended by LF; empty without a tuning.
std::string tuningStateLines(const TuningSource& source);

// True when `keyword` (a line's first word) starts one of these lines.
bool isTuningKeyword(std::string_view keyword);

struct TuningStateFiles {
    TuningFile scale, keymap;
};
// The files the lines of `text` name; lines of other kinds are passed over.
TuningStateFiles readTuningStateLines(std::string_view text);
