// The instrument's 32 programs and its current program as plain, versioned text: what a plug-in
// format's saved state or a player's state file keeps, where parameter values alone cannot hold a
// bank. Locale-independent and exact: every value reads back to the same float.
//
//   ulvodraw-bank 1
//   current 3
//   program 0 0.100000001 0.100000001 0.5 ... (16 values by parameter index) name to line end
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "synth/instrument.h"

inline constexpr std::int32_t kBankTextVersion = 1;

// [not on the audio thread] The bank as text.
std::string writeBankText(const Instrument& instrument);

struct BankRestore {
    bool recognised = false;       // the text starts with the bank header
    bool newerVersion = false;     // written by a later version: only what this one knows was read
    std::int32_t programs = 0;     // program lines taken
    std::int32_t skippedLines = 0; // lines that were damaged or not understood
    bool currentRestored = false;
};

// [not while rendering] Takes every well-formed program line of `text` (the values and the name;
// at most 23 characters of it), keeps the others as they are, then settles the saved current
// program, or the current one, so that the sound follows the restored values alone.
// Never trusts a count, index or length it reads; text that is not a bank changes nothing.
BankRestore restoreBankText(Instrument& instrument, std::string_view text);
