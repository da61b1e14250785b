// The player's state between runs: the bank text of synth/bank_text.h (32 programs with names
// and the current program, and the tuning's files when there is a tuning). Every parameter write
// also lands in the current program, so the bank holds the sound's values too. Written to a
// temporary name and renamed, so a crash never leaves a half-written state; a damaged file is moved
// aside, never overwritten.
#pragma once

#include <string>

#include "synth/instrument.h"
#include "synth/tuning/tuning_source.h"

// The state of the player called `clientName`, so that players of different names keep their own:
// $XDG_CONFIG_HOME/ulvodraw/NAME.state, or ~/.config/ulvodraw/NAME.state, each '/' of the name
// written as '_'. The plain name ulvo-play keeps the file it always had, ulvodraw/state. Empty
// when neither folder is known.
std::string defaultStatePath(const std::string& clientName);

struct StateLoad {
    enum class Outcome { Missing, Restored, Damaged, Unreadable } outcome = Outcome::Missing;
    std::string keptAs;  // where a damaged file now lies
    std::string problem; // why a file could not be read or moved aside
};

// [main thread, before playing] Restores the state in `path` into `instrument`. A file that is not
// a whole, well-formed bank changes nothing and is renamed to `path`.damaged-N, N the first free
// number.
// With `tuning`, the tuning's files the state keeps replace what it held (a state without them:
// none).
StateLoad loadState(Instrument& instrument, const std::string& path,
                    TuningSource* tuning = nullptr);

// [main thread, not while rendering] Writes the state to `path`, creating its folder. Throws
// ToolError with the reason when it cannot; the file at `path` is then what it was.
// With `tuning`, its files are kept too.
void saveState(const Instrument& instrument, const std::string& path,
               const TuningSource* tuning = nullptr);
