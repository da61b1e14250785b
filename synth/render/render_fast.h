// The render of the voice ring: the fast render, and the reference render it must match to the
// bit. VoiceRenderer keeps what the fast render holds from call to call (the kernels of one
// instruction set, the values as last read, the oscillator table mixed for them and the lanes of
// held voices) and decides alone when each still holds. Touched only on the audio thread.
#pragma once

#include <cstdint>

#include "synth/engine_values.h"
#include "synth/render/clean_table_cache.h"
#include "synth/render/render_isa.h"
#include "synth/render/render_lanes.h"
#include "synth/render/voice_features.h"
#include "synth/voice.h"
#include "synth/wave_tables.h"

// What the fast render works in: the oscillator table mixed for the current weights and bank,
// the Clean tables of the bands in use, the lanes, and the scratch of one chunk; and the counts
// tests and benchmarks read.
struct FastRenderState {
    MixedOscillator oscillator{};
    CleanTableCache clean;
    LaneJob job{};
    float level[kVoiceCount][kChunkFrames]{};    // envelope level per voice and frame
    float cutoff[kVoiceCount][kChunkFrames]{};   // cut-off coefficient per voice and frame
    float voiceOut[kVoiceCount][kChunkFrames]{}; // samples of the voices rendered one by one
    // Voice samples rendered so far side by side and one by one, and of the former those of
    // steady lanes.
    std::uint64_t laneSamples = 0;
    std::uint64_t aloneSamples = 0;
    std::uint64_t steadySamples = 0;
};

// The kernels of one instruction set, and those it uses for fewer voices: the AVX-512 kernels
// run eight voices per group, at a higher cost per group than AVX2's four, which pays only once
// AVX2 would need four groups or more (measured: up to twelve voices AVX2 is faster). Null when
// the build or the CPU lacks the set.
struct KernelChoice {
    const LaneKernels* many = nullptr;
    const LaneKernels* few = nullptr;
    const LaneKernels& forLanes(std::int32_t lanes) const { return lanes <= 12 ? *few : *many; }
};

// The sounding voices when all of them sustain with nothing scheduled, set up in the job's lanes:
// until the voices change from outside, each call runs the kernels on the lanes as they are,
// without planning envelopes or loading the voices again.
struct SteadyLanes {
    std::int32_t count = 0;
    const LaneKernels* kernels = nullptr;
    RenderValues values{};           // what the lanes' levels and coefficients were made from
    std::int32_t voice[kMaxLanes]{}; // the voice in each lane, in voice order
};

class VoiceRenderer {
  public:
    // Renders `voices`, reading `values` (whose count of changes tells when to read them again).
    // The three outlive the renderer. Voices using a feature of `lanesLack` take the reference
    // code (tests name more features than kLanesLack, to send voices there).
    VoiceRenderer(VoiceRing& voices, const EngineValues& values, const WaveTables& tables,
                  VoiceFeatures lanesLack = kLanesLack);

    // [audio thread] Adds `frames` samples of every sounding voice to both buffers, or with
    // `replacing` writes them over buffers taken as silent, without reading them. Runs the
    // kernels of `isa`, or the reference render when the build or the CPU lacks them.
    void render(RenderIsa isa, float* left, float* right, std::int32_t frames, bool replacing);
    // [audio thread] The per-sample reference render, adding.
    void renderReference(float* left, float* right, std::int32_t frames);
    // [audio thread] Brings the voices up to date: a steady call leaves the running states of
    // its voices in the lanes, and copies them out only when asked.
    void syncVoices();
    // [audio thread] To be called before the voices change other than through this renderer:
    // brings them up to date, and the steady lanes no longer stand for them.
    void invalidate();
    // [audio thread] To be called after the voices' phase steps changed and nothing else (a bend,
    // the vibrato): steady lanes take the new steps and stay set up.
    void takePhaseSteps();

    const FastRenderState& state() const { return fast; }

  private:
    // What the lanes hold from the last call: nothing to go on with, the steady lanes with their
    // voices up to date, or the steady lanes ahead of their voices.
    enum class Lanes { None, Steady, Ahead };

    void chooseKernels(RenderIsa isa);
    void readValues();
    bool renderSteady(float* left, float* right, std::int32_t frames, bool replacing);
    void setSteadyValues();
    void renderChunk(float* left, float* right, std::int32_t frames);
    void prepareSteady();
    // Whether the lanes render voice `v`, with the values as read: the one choice between the
    // lanes and the reference code, per voice. It uses no feature the lanes lack, and its state
    // keeps the lane arithmetic exact.
    bool fitsLanes(const Voice& v) const;
    bool lanesHaveFeaturesOf(const Voice& v) const;
    // Whether the steady lanes' voices still use no feature the lanes lack.
    bool steadyVoicesHaveFeatures() const;

    VoiceRing& voices;
    const EngineValues& engineValues;
    const WaveTables& tables;
    const VoiceFeatures lanesLack;
    RenderIsa isa = RenderIsa::Sse2;
    KernelChoice kernels;
    // The values as last read, the count of changes they were read at, and whether they keep
    // every lane product finite.
    RenderValues values{};
    std::uint32_t valuesChanges = 0;
    bool valuesFit = false;
    Lanes lanes = Lanes::None;
    SteadyLanes steady;
    FastRenderState fast;
};
