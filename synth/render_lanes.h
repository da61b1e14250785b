// The voices side by side: what the lane kernels of each instruction set read and write. A lane
// holds one voice; lanes come in groups of the kernel's width (4 or 8), and the voices sit in
// the lanes in index order.
#pragma once

#include <cstdint>

#include "synth/voice.h"
#include "synth/wave_tables.h"

inline constexpr std::int32_t kChunkFrames = 128; // frames rendered per pass of the kernels
inline constexpr std::int32_t kMaxLaneWidth = 8;
inline constexpr std::int32_t kMaxLanes = 24; // 17 voices rounded up to whole groups of 8

// The seven weighted blocks of the active bank summed per table index, with the wrapping
// integer arithmetic of the oscillator: entry i is the oscillator value at table index i, or,
// when `rounded`, that value as a float rounded back to an integer (what the smoothing at 0
// hands the filter).
struct MixedOscillator {
    std::int32_t table[kTableSize];
    std::int32_t sums[kTableSize]; // when `rounded`: the sums before rounding
    std::int32_t weights[kHarmonicBlocks];
    const std::int32_t* bank = nullptr; // nullptr: not built yet
    bool rounded = false;
    double largest = 0; // the largest entry in size
};

// What a kernel keeps in memory during a run: the lanes' constants in double precision and the
// shared constants once per lane. The states that carry from frame to frame stay in registers:
// through memory, each frame would wait for the previous frame's store.
struct LaneWork {
    double gain[kMaxLanes];
    double level[kMaxLanes];    // steady runs only
    double cutoff[kMaxLanes];   // steady runs only
    double largest[kMaxLanes];  // largest filter state of the run, in size
    double largestX[kMaxLanes]; // largest rounded smoothed value of the run, in size
    double damping[kMaxLaneWidth];
    double smooth[kMaxLaneWidth];
    double rest[kMaxLaneWidth];   // 1 - smooth
    double intMax[kMaxLaneWidth]; // 2^31 - 1
    double magic[kMaxLaneWidth];  // 1.5 * 2^52
    double sign[kMaxLaneWidth];   // -0.0
    float floatTwo31[kMaxLaneWidth];
    std::int32_t indexMask[kMaxLaneWidth];
    std::int32_t periodMask[kMaxLaneWidth];
};

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
    LaneWork work;

    // Steady: every lane keeps one envelope level and cut-off coefficient through the chunk
    // (held notes), given here instead of per frame.
    bool steady = false;
    float steadyLevel[kMaxLanes];
    float steadyCutoff[kMaxLanes];

    // Per frame: envelope level and cut-off coefficient in, voice sample out.
    float level[kMaxLanes * kChunkFrames];
    float cutoff[kMaxLanes * kChunkFrames];
    float out[kMaxLanes * kChunkFrames];

    // Each lane's table index at the run's last frame.
    std::int32_t lastIndex[kMaxLanes];

    // The same for every lane during the chunk.
    const MixedOscillator* mixed = nullptr;
    float smooth = 0;
    float damping = 0;
    std::int32_t filterMode = 0; // 0 to 3
    // Every cut-off coefficient of the chunk lies in [0, 0.785].
    bool coefficientsBounded = false;

    // When mixLanes > 0, the kernels add lanes 0 to mixLanes - 1 (voices in voice order, each
    // rendering every frame of the run) into mixLeft and mixRight as they go, four frames at a
    // time from the run's first frame; the caller adds the last frames short of four. With
    // mixReplace the outputs start from silence instead of what they hold. The two may be one
    // buffer, which then receives every sample twice.
    std::int32_t mixLanes = 0;
    bool mixReplace = false;
    float* mixLeft = nullptr;
    float* mixRight = nullptr;
    float mixKept[2][kChunkFrames]; // what the outputs held, should the run be redone

    // Lane frames rendered by the exact kernel so far (for tests and benchmarks).
    std::uint64_t exactFrames = 0;

    std::int32_t at(std::int32_t group, std::int32_t frame, std::int32_t lane) const {
        return (group * kChunkFrames + frame) * width + lane;
    }
};

// The entry points of one instruction set.
struct LaneKernels {
    std::int32_t width;
    // The group count the kernels run for `groups` groups (padding lanes added).
    std::int32_t (*paddedGroups)(std::int32_t groups);
    // Renders frames [begin, end) of every lane of `job`.
    void (*run)(LaneJob& job, std::int32_t begin, std::int32_t end);
    // Fills `mixed.table` from `bank` and `weights` (7 each), rounded or not.
    void (*buildOscillator)(MixedOscillator& mixed, const std::int32_t* bank,
                            const std::int32_t* weights, bool rounded);
};

extern const LaneKernels kSse2Kernels;
extern const LaneKernels kAvx2Kernels;
extern const LaneKernels kAvx512Kernels;
