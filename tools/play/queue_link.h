// The editor's link to the playing instrument: it reads the instrument's values, which are
// atomic, and hands every write to the process callback through the queue, so that the audio
// thread alone changes the sound.
//
// The form reports the moves it makes itself, after a poll, as it reports the user's: a value
// between two of a control's positions (a preset's 0.85 on a 50-step slider) would come back as
// the nearest position's value (0.86) and replace the exact one. So the link keeps the value it
// last read or wrote for each parameter, and drops a write of what the control shows for that
// value: looking at the editor never changes the sound.
#pragma once

#include <algorithm>
#include <array>

#include "editor/parameter_binding.h"
#include "editor/parameter_link.h"
#include "synth/instrument.h"
#include "tools/play/parameter_queue.h"

class QueueLink : public ParameterLink {
  public:
    // [ui thread]
    QueueLink(const Instrument& instrument, ParameterQueue& queue)
        : instrument(instrument), queue(queue) {
        for (std::int32_t index = 0; index < kParameterCount; ++index)
            held[index] = instrument.parameter(index);
    }

    // [ui thread]
    float readParameter(std::int32_t index) override {
        if (!isParameterIndex(index)) return 0.0f;
        held[index] = instrument.parameter(index);
        return held[index];
    }
    // [ui thread]
    void writeParameter(std::int32_t index, float value) override {
        if (!isParameterIndex(index) || value == shownFor(index, held[index])) return;
        held[index] = value;
        queue.push({index, value});
    }

  private:
    // The value that parameter `index`'s control sends when it stands where `value` puts it.
    static float shownFor(std::int32_t index, float value) {
        const ParameterBinding& binding = kBindings[index];
        const std::int32_t position = std::clamp(binding.positionFor(value), 0, binding.steps);
        return static_cast<float>(binding.valueAt(position));
    }

    const Instrument& instrument;
    ParameterQueue& queue;
    std::array<float, kParameterCount> held{}; // by parameter index
};
