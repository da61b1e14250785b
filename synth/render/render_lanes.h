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
    std::int32_t sums[kTableSize];       // when `rounded`: the sums before rounding
    alignas(64) double wide[kTableSize]; // the entries as doubles, for the wide kernel
    std::int32_t weights[kHarmonicBlocks];
    const std::int32_t* bank = nullptr; // nullptr: not built yet
    bool rounded = false;
    double largest = 0; // the largest entry in size
};

// The same value in each of the kMaxLaneWidth lanes.
#define ULVO_EVERY_LANE(v)                                                                         \
    { v, v, v, v, v, v, v, v }
static_assert(kMaxLaneWidth == 8);

// Every array below starts on a cache line: no vector the kernels load or store then straddles
// two, and the timing does not depend on where the instrument happens to lie in memory.
//
// What a kernel keeps in memory during a run: the lanes' constants in double precision and the
// shared constants once per lane. The states that carry from frame to frame stay in registers:
// through memory, each frame would wait for the previous frame's store.
struct LaneWork {
    alignas(64) double gain[kMaxLanes];
    alignas(64) double level[kMaxLanes];    // steady runs only
    alignas(64) double cutoff[kMaxLanes];   // steady runs only
    alignas(64) double largest[kMaxLanes];  // largest filter state of the run, in size
    alignas(64) double largestX[kMaxLanes]; // largest rounded smoothed value of the run, in size
    alignas(64) double damping[kMaxLaneWidth];
    alignas(64) double negDamping[kMaxLaneWidth];
    alignas(64) double smooth[kMaxLaneWidth];
    alignas(64) double rest[kMaxLaneWidth]; // 1 - smooth
    // The same in every run, set here once instead of at each.
    alignas(64) double intMax[kMaxLaneWidth] = ULVO_EVERY_LANE(2147483647.0);
    alignas(64) double magic[kMaxLaneWidth] = ULVO_EVERY_LANE(6755399441055744.0);
    alignas(64) double sign[kMaxLaneWidth] = ULVO_EVERY_LANE(-0.0);
    alignas(64) float floatTwo31[kMaxLaneWidth] = ULVO_EVERY_LANE(2147483648.0f);
    alignas(64) float floatOne[kMaxLaneWidth] = ULVO_EVERY_LANE(1.0f);
    alignas(64) std::int32_t indexMask[kMaxLaneWidth] = ULVO_EVERY_LANE(kTableSize - 1);
    alignas(64) std::int32_t periodMask[kMaxLaneWidth] = ULVO_EVERY_LANE(~(kTableSize - 1));
};

#undef ULVO_EVERY_LANE

// Everything a kernel needs for one chunk. Per-frame arrays are laid out [group][frame][lane],
// so that one load gives the values of a group's lanes at one frame.
struct LaneJob {
    std::int32_t width = 4;  // lanes per group
    std::int32_t groups = 0; // groups in use

    // Voice state per lane; the kernels load it at the start of a run and store it at the end.
    alignas(64) float phase[kMaxLanes];
    alignas(64) float phaseStep[kMaxLanes];
    alignas(64) float smoothed[kMaxLanes];
    alignas(64) std::int32_t bandState[kMaxLanes];
    alignas(64) std::int32_t lowState[kMaxLanes];
    alignas(64) float voiceGain[kMaxLanes];
    alignas(64) LaneWork work;

    // Steady: every lane keeps one envelope level and cut-off coefficient through the chunk
    // (held notes), given here instead of per frame.
    bool steady = false;
    alignas(64) float steadyLevel[kMaxLanes];
    alignas(64) float steadyCutoff[kMaxLanes];

    // Per frame: envelope level and cut-off coefficient in, voice sample out.
    alignas(64) float level[kMaxLanes * kChunkFrames];
    alignas(64) float cutoff[kMaxLanes * kChunkFrames];
    alignas(64) float out[kMaxLanes * kChunkFrames];

    // Each lane's table index at the run's last frame.
    alignas(64) std::int32_t lastIndex[kMaxLanes];

    // Clean oscillators: each lane reads its band's premixed table of float bits, which starts
    // `cleanOffset` entries after `cleanTable` (see CleanTableCache); the Classic ones read
    // `mixed`.
    bool clean = false;
    const std::int32_t* cleanTable = nullptr;
    alignas(64) std::int32_t cleanOffset[kMaxLanes];
    // At smoothing 0, the largest value in size the lanes' tables can give once interpolated and
    // rounded: the wide kernels' range check takes it instead of tracking the values.
    double cleanBound = 0;

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
    // buffer, which then receives every sample twice. A replacing steady run may be longer than
    // a chunk: frame k then uses the rows of frame k % kChunkFrames.
    std::int32_t mixLanes = 0;
    bool mixReplace = false;
    float* mixLeft = nullptr;
    float* mixRight = nullptr;
    alignas(64) float mixKept[2][kChunkFrames]; // what the outputs held, should the run be redone

    // Lane frames rendered by the exact kernel, and by the fused one, so far (for tests and
    // benchmarks).
    std::uint64_t exactFrames = 0;
    std::uint64_t fusedFrames = 0;
    // Runs still to go without the fused kernel, since one found its values too large for it.
    std::int32_t fusedPause = 0;

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
