// What the fast render keeps between calls and works in: the oscillator table mixed for the
// current weights and bank, and the scratch of one chunk. Touched only by the render.
#pragma once

#include <cstdint>

#include "synth/render_isa.h"
#include "synth/render_lanes.h"
#include "synth/voice.h"

struct FastRenderState {
    MixedOscillator oscillator{};
    LaneJob job{};
    float level[kVoiceCount][kChunkFrames]{};    // envelope level per voice and frame
    float cutoff[kVoiceCount][kChunkFrames]{};   // cut-off coefficient per voice and frame
    float voiceOut[kVoiceCount][kChunkFrames]{}; // samples of the voices rendered one by one
    // Voice samples rendered so far side by side and one by one (for tests and benchmarks).
    std::uint64_t laneSamples = 0;
    std::uint64_t aloneSamples = 0;
};
