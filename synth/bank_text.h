// The instrument's 32 programs and its current program as plain, versioned text: what a plug-in
// format's saved state or a player's state file keeps, where parameter values alone cannot hold a
// bank. Locale-independent and exact: every value reads back to the same float.
//
//   ulvodraw-bank 3
//   current 3
//   program 0 0.100000001 0.100000001 0.5 ... (24 values by control index) name to line end
//
// Version 1, written before the playing controls existed, gives the sixteen classic values alone;
// version 2 the 23 controls before the oscillators. A program loads every control its version
// lacks at its classic value, so that it sounds as it did. A later version keeps these lines as
// they are and adds lines of its own. From version 3 on, the tuning's files may follow the
// programs (synth/tuning/tuning_state_text.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "synth/instrument.h"

inline constexpr std::int32_t kBankTextVersion = 3;
// The first version that may carry the tuning's files.
inline constexpr std::int32_t kTuningBankTextVersion = 3;

// The controls a bank of `version` gives for each program, by index from 0: the others were not
// there when it was written.
constexpr std::int32_t bankTextControls(std::int32_t version) {
    return version <= 1 ? kParameterCount : version == 2 ? Oscillators : kControlCount;
}

// [not on the audio thread] The bank as text; with `tuningLines`, as version 3 ending in them.
std::string writeBankText(const Instrument& instrument, std::string_view tuningLines = {});

// [not on the audio thread] `bank`, a bank's text, with the tuning's lines it holds replaced by
// `tuningLines` (none to drop them), which follow the programs; every other line is kept as it
// is. Empty when `bank` is no bank, or one of a version before the tuning could ride in it and
// `tuningLines` is not empty.
std::string withTuningLines(std::string_view bank, std::string_view tuningLines);

struct BankRestore {
    bool recognised = false;       // the text starts with the bank header
    std::int32_t version = 0;      // the header's version, once recognised
    bool newerVersion = false;     // written by a later version: only what this one knows was read
    std::int32_t programs = 0;     // program lines taken
    std::int32_t skippedLines = 0; // lines that were damaged or not understood
    bool currentRestored = false;
};

// [not while rendering] Takes every well-formed program line of `text` (the values, each held
// within its control's range, and the name; at most 23 characters of it), keeps the others as
// they are, then settles the saved current program, or the current one, so that the sound
// follows the restored values alone. An older bank puts every program's controls it lacks at
// their classic values. Never trusts a count, index or length it reads; text that is not a bank
// changes nothing.
BankRestore restoreBankText(Instrument& instrument, std::string_view text);
