// The editor's link to the playing instrument: it reads the instrument's values, which are
// atomic, and hands every write to the process callback through the queue, so that the audio
// thread alone changes the sound. The reads also show what the audio thread changed itself (a
// controller's knob through the map).
//
// The form reports the moves it makes itself, after a poll, as it reports the user's (see
// shownValue), so the link keeps the value it last read or wrote for each parameter and drops a
// write of what the control shows for that value: looking at the editor never changes the sound.
#pragma once

#include <array>

#include "editor/parameter_binding.h"
#include "editor/parameter_link.h"
#include "synth/control_text.h"
#include "synth/instrument.h"
#include "tools/play/parameter_queue.h"

class QueueLink : public ParameterLink {
  public:
    // [ui thread]
    QueueLink(const Instrument& instrument, ParameterQueue& queue)
        : instrument(instrument), queue(queue) {
        for (std::int32_t index = 0; index < kControlCount; ++index)
            held[index] = instrument.parameter(index);
    }

    // [ui thread]
    float readParameter(std::int32_t index) override {
        if (!isControlIndex(index)) return 0.0f;
        held[index] = instrument.parameter(index);
        return held[index];
    }
    // [ui thread]
    void writeParameter(std::int32_t index, float value) override {
        if (!isControlIndex(index) || value == shownValue(index, held[index])) return;
        held[index] = value;
        queue.push({index, value});
    }
    // [ui thread]
    std::string valueText(std::int32_t index, float value) override {
        return controlValueText(index, value);
    }

  private:
    const Instrument& instrument;
    ParameterQueue& queue;
    std::array<float, kControlCount> held{}; // by control index
};
