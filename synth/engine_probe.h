// What tests and benchmarks reach beyond what a front does: the engine's documented state (its
// voices, derived values and the fast render's counters), and the render through one chosen
// instruction set or the reference. No front includes this.
#pragma once

#include <cstdint>

#include "synth/drawbar_engine.h"
#include "synth/instrument.h"

struct EngineProbe {
    static const DrawbarEngine& engine(const Instrument& instrument) {
        return *instrument.engineState;
    }
    // The fast render on `isa` (the reference where the CPU lacks it), adding or replacing.
    static void renderWith(Instrument& instrument, RenderIsa isa, float* left, float* right,
                           std::int32_t frames, bool replacing = false) {
        instrument.engineState->renderWith(isa, left, right, frames, replacing);
    }
    // The plain per-sample render every faster one must match to the bit.
    static void renderReference(Instrument& instrument, float* left, float* right,
                                std::int32_t frames) {
        instrument.engineState->renderReference(left, right, frames);
    }
};
