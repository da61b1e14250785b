// What a fresh player holds before its command line acts, built here from the presets file and
// the instrument alone, not the player's code: the factory presets in file order as the
// programs, values and names, program 0 selected.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "synth/instrument.h"
#include "synth/preset_text.h"

inline void loadFactoryBank(Instrument& instrument, const std::string& presetsText) {
    const PresetParse parse = parsePresets(presetsText);
    ASSERT_EQ(parse.error, "");
    ASSERT_GE(parse.presets.size(), std::size_t(kProgramCount)) << "a bank of 32 at least";
    for (std::int32_t p = 0; p < kProgramCount; ++p) {
        for (std::int32_t index = 0; index < kControlCount; ++index)
            instrument.setProgramValue(p, index, parse.presets[p].values[index]);
        instrument.setProgramName(p, parse.presets[p].name.c_str());
    }
    instrument.selectProgram(0);
}
