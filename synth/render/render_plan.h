// The envelope of one voice through one chunk, worked out ahead of the oscillator and filter: the
// envelope, the start delay and the release countdown depend on nothing the audio computes, so a
// voice's levels and cut-off coefficients for a whole chunk can be made in one pass.
#pragma once

#include <cstdint>

#include "synth/engine_values.h"
#include "synth/voice.h"

struct EnvelopePlan {
    std::int32_t begin = 0; // first rendered frame, after the start delay
    std::int32_t end = 0;   // one past the last rendered frame (the voice ended or the chunk did)
    bool constant = false;  // one level and coefficient for every rendered frame; rows unwritten
    float level = 0;        // the constant values
    float cutoff = 0;
};

// The cut-off coefficient of a voice sustaining at r.sustain: what a constant plan holds.
float sustainCutoff(const RenderValues& r, float keyTrack);

// Advances the voice's start delay, envelope fields and release countdown through `frames` frames
// exactly as the per-sample render does, and writes the envelope level and cut-off coefficient of
// every rendered frame k to level[k] and cutoff[k] (unless the plan is constant).
EnvelopePlan planEnvelope(Voice& v, const RenderValues& r, std::int32_t frames, float* level,
                          float* cutoff);
