// The parameter side of the engine: every control's value as the host set it, and what the
// render derives from it (synth/engine_values.h) at the sample rate of the moment. Knows nothing
// of voices or of the render.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "synth/drawbar_rule.h"
#include "synth/engine_values.h"
#include "synth/parameters.h"

class EngineParameters {
  public:
    // Derives into `derived`, which the engine and the render read.
    EngineParameters(DrawbarRule rule, EngineValues& derived) : rule(rule), derived(derived) {}

    // [any thread] Values as the host set them, by control index, unclamped; 0 outside.
    float parameter(std::int32_t index) const;
    void store(std::int32_t index, float value);
    // [any thread] Recomputes what the render needs from one parameter at sample rate `rate`.
    void update(std::int32_t index, double rate);
    // [any thread] table steps per sample for one hertz := 4096 / rate.
    void setTableStep(double rate);

  private:
    // An envelope length (Attack, Decay or Release) and what follows from it.
    void updateLength(std::int32_t index, double rate);
    void updateDrawbar(std::int32_t index);

    const DrawbarRule rule;
    std::array<std::atomic<float>, kControlCount> params{}; // by control index
    EngineValues& derived;
};
