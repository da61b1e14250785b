// Adds the chunk's voice samples into the two outputs, voice after voice for every frame, so that
// each output sample receives its additions in the same order as the per-sample render.
#pragma once

#include <cstdint>

#include "synth/render/render_lanes.h"

struct MixSource {
    std::int32_t lane;  // lane of the voice in the job, or -1 for a row of its own
    const float* row;   // when lane is -1: sample k at row[k]
    std::int32_t begin; // the voice rendered frames [begin, end)
    std::int32_t end;
};

// `sources` in voice order; frames [0, frames) of left and right. The two buffers may be the same
// buffer, which then receives every sample twice, as from the per-sample render.
void mixChunk(const LaneJob& job, const MixSource* sources, std::int32_t count, float* left,
              float* right, std::int32_t frames);

// Frames [from, to) of lanes 0 to lanes - 1 (voices in voice order, each sounding on every frame)
// into the outputs, frame by frame: what a run that mixed four frames at a time left over. With
// `replacing` the outputs start from silence.
void mixLaneFrames(const LaneJob& job, std::int32_t lanes, float* left, float* right,
                   std::int32_t from, std::int32_t to, bool replacing);
