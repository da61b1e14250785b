// The voices side by side: what the lane kernels of each instruction set read and write. A lane
// holds one voice; lanes come in groups of the kernel's width (4 or 8), and the voices sit in
// the lanes in index order.
#pragma once

#include <cstdint>

#include "synth/voice.h"
#include "synth/wave_tables.h"

inline constexpr std::int32_t kChunkFrames = 128;  // frames rendered per pass of the kernels
inline constexpr std::int32_t kMaxLaneWidth = 8;
inline constexpr std::int32_t kMaxLanes = 24;      // 17 voices rounded up to whole groups of 8
inline constexpr std::int32_t kMaxLaneGroups = 5;  // 17 voices in groups of 4

// Everything a kernel needs for one chunk. Per-frame arrays are laid out [group][frame][lane],
// so that one load gives the values of a group's lanes at one frame.
struct LaneJob {
    std::int32_t width = 4;  // lanes per group
    std::int32_t groups = 0; // groups in use

    // Voice state per lane; the kernels load it at the start of a run and store it at the end.
    float phase[kMaxLanes];
    float phaseStep[kMaxLanes];
    float smoothed[kMaxLanes];
    std::int32_t bandState[kMaxLanes];
    std::int32_t lowState[kMaxLanes];
    float voiceGain[kMaxLanes];

    // Per frame: envelope level and cut-off coefficient in, voice sample out.
    float level[kMaxLanes * kChunkFrames];
    float cutoff[kMaxLanes * kChunkFrames];
    float out[kMaxLanes * kChunkFrames];

    // The same for every lane during the chunk.
    const std::int32_t* oscillator = nullptr; // 4096 mixed entries (see MixedOscillator)
    float smooth = 0;
    float damping = 0;
    std::int32_t filterMode = 0;              // 0 to 3

    std::int32_t at(std::int32_t group, std::int32_t frame, std::int32_t lane) const {
        return (group * kChunkFrames + frame) * width + lane;
    }
};

// The seven weighted blocks of the active bank summed per table index, with the wrapping
// integer arithmetic of the oscillator: entry i is the oscillator value at table index i.
struct MixedOscillator {
    std::int32_t table[kTableSize];
    std::int32_t weights[kHarmonicBlocks];
    const std::int32_t* bank = nullptr; // nullptr: not built yet
};

// The entry points of one instruction set.
struct LaneKernels {
    std::int32_t width;
    // Renders frames [begin, end) of every lane of `job`.
    void (*run)(LaneJob& job, std::int32_t begin, std::int32_t end);
    // Fills `mixed.table` from `bank` and `weights` (7 each).
    void (*buildOscillator)(MixedOscillator& mixed, const std::int32_t* bank,
                            const std::int32_t* weights);
};

extern const LaneKernels kSse2Kernels;
extern const LaneKernels kAvx2Kernels;
extern const LaneKernels kAvx512Kernels;
