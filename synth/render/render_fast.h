// What the fast render keeps between calls and works in: the oscillator table mixed for the
// current weights and bank, the lanes of held voices kept from call to call, and the scratch of
// one chunk. Touched only by the render.
#pragma once

#include <cstdint>

#include "synth/engine_values.h"
#include "synth/render/render_isa.h"
#include "synth/render/render_lanes.h"
#include "synth/voice.h"

// The sounding voices when all of them sustain with nothing scheduled, set up in the job's lanes:
// until MIDI or another render changes a voice, each call runs the kernels on the lanes as they
// are, without planning envelopes or loading the voices again.
struct SteadyLanes {
    bool valid = false;
    std::uint32_t voiceChanges = 0; // the engine's count of voice changes when set up
    const LaneKernels* kernels = nullptr;
    RenderValues values{}; // what the lanes' levels and coefficients were made from
    std::uint32_t valuesChanges = 0; // the count of value changes they were made at
    std::int32_t count = 0;
    std::int32_t voice[kMaxLanes]{}; // the voice in each lane, in voice order
};

struct FastRenderState {
    // The kernels for the instruction set of the last call: `many` for the most voices, `few`
    // for up to twelve.
    RenderIsa isa = RenderIsa::Sse2;
    bool isaChosen = false;
    const LaneKernels* many = nullptr;
    const LaneKernels* few = nullptr;
    // The values as last read, and the count of changes they were read at.
    RenderValues values{};
    bool valuesFit = false; // they keep every lane product finite
    bool valuesRead = false;
    std::uint32_t valuesChanges = 0;
    MixedOscillator oscillator{};
    LaneJob job{};
    SteadyLanes steady{};
    float level[kVoiceCount][kChunkFrames]{};    // envelope level per voice and frame
    float cutoff[kVoiceCount][kChunkFrames]{};   // cut-off coefficient per voice and frame
    float voiceOut[kVoiceCount][kChunkFrames]{}; // samples of the voices rendered one by one
    // Voice samples rendered so far side by side and one by one, and of the former those of
    // steady lanes (for tests and benchmarks).
    std::uint64_t laneSamples = 0;
    std::uint64_t aloneSamples = 0;
    std::uint64_t steadySamples = 0;
};
