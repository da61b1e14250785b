// The player's strip reads the tuning the player keeps (its files, given on the command line or
// kept in its state) and resets it: both files away, equal temperament posted to the instrument,
// and the state saved without them. SysEx retuning does not change the names.
#pragma once

#include <string>

#include "editor/tuning_link.h"
#include "synth/instrument.h"
#include "synth/tuning/tuning_source.h"

class SourceTuningLink : public TuningLink {
  public:
    SourceTuningLink(Instrument& instrument, TuningSource& source)
        : instrument(instrument), source(source) {}

    // [main thread]
    std::string tuningName() override { return source.shownName(); }
    // [main thread]
    void resetTuning() override {
        source = {};
        instrument.postTuning(Instrument::untunedTable());
    }

  private:
    Instrument& instrument;
    TuningSource& source;
};
