// The editor's link to the playing instrument: it reads the instrument's values, which are
// atomic, and hands every write to the process callback through the queue, so that the audio
// thread alone changes the sound.
#pragma once

#include "editor/parameter_link.h"
#include "synth/instrument.h"
#include "tools/play/parameter_queue.h"

class QueueLink : public ParameterLink {
  public:
    QueueLink(const Instrument& instrument, ParameterQueue& queue)
        : instrument(instrument), queue(queue) {}

    // [ui thread]
    float readParameter(std::int32_t index) override { return instrument.parameter(index); }
    // [ui thread]
    void writeParameter(std::int32_t index, float value) override {
        if (isParameterIndex(index)) queue.push({index, value});
    }

  private:
    const Instrument& instrument;
    ParameterQueue& queue;
};
