// The program chooser's link to the playing instrument: it reads the current program, which is
// atomic, and the names, which nothing renames while the player plays; a choice goes to the
// process callback through the queue, as the parameter writes do, so that the audio thread alone
// selects.
//
// Until the audio thread has taken every choice, the instrument still plays what came before; the
// link tells the last choice meanwhile, so that the list never jumps back for a poll.
#pragma once

#include <cstdint>
#include <string>

#include "editor/form_layout.h"
#include "editor/program_link.h"
#include "synth/instrument.h"
#include "tools/play/parameter_queue.h"

static_assert(kChooserProgramCount == kProgramCount);

class ProgramQueueLink : public ProgramLink {
  public:
    // [ui thread]
    ProgramQueueLink(const Instrument& instrument, ParameterQueue& queue)
        : instrument(instrument), queue(queue), choicesSent(queue.programsApplied()) {}

    // [ui thread]
    std::int32_t readProgram() override {
        if (queue.programsApplied() != choicesSent) return lastChoice;
        return instrument.currentProgram();
    }
    // [ui thread]
    std::string programName(std::int32_t p) override {
        return p >= 0 && p < kProgramCount ? std::string(instrument.program(p).name)
                                           : std::string();
    }
    // [ui thread] A full queue drops the choice; the list then shows what still plays.
    void selectProgram(std::int32_t p) override {
        if (p < 0 || p >= kProgramCount) return;
        if (!queue.push({p, 0.0f, ParameterChange::Kind::Program})) return;
        ++choicesSent;
        lastChoice = p;
    }

  private:
    const Instrument& instrument;
    ParameterQueue& queue;
    std::uint32_t choicesSent; // wraps as the queue's count does
    std::int32_t lastChoice = 0;
};
