// The lane kernels' filter against the reference filter step, run directly on a job of held
// lanes: coefficients that make half the products fall on a tie, and states at the edge of what
// the fused filter takes. States and samples must match to the bit, frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "synth/render/render_lanes.h"
#include "synth/render/voice_render.h"
#include "tests/synth_fast/engine_pair.h"

namespace {

const LaneKernels& kernelsOf(RenderIsa isa) {
    switch (isa) {
    case RenderIsa::Sse2:
        return kSse2Kernels;
    case RenderIsa::Avx2:
        return kAvx2Kernels;
    case RenderIsa::Avx512:
        return kAvx512Kernels;
    }
    return kSse2Kernels;
}

// Every lane of the fewest groups the instruction set runs, holding one voice: a constant
// oscillator value (the table entry at its phase), its filter states, a gain of 1.
struct HeldLanes {
    HeldLanes(RenderIsa isa, float g, float damping, std::int32_t mode) : kernels(kernelsOf(isa)) {
        job->width = kernels.width;
        job->groups = kernels.paddedGroups(1);
        job->steady = true;
        job->mixed = mixed.get();
        job->smooth = 0;
        job->damping = damping;
        job->filterMode = mode;
        job->coefficientsBounded = true;
        mixed->rounded = true;
        for (std::int32_t lane = 0; lane < lanes(); ++lane) {
            job->phase[lane] = static_cast<float>(lane);
            job->phaseStep[lane] = 0;
            job->voiceGain[lane] = 1;
            job->steadyLevel[lane] = 1;
            job->steadyCutoff[lane] = g;
        }
    }
    std::int32_t lanes() const { return job->groups * job->width; }
    void setInput(std::int32_t lane, std::int32_t x) {
        mixed->table[lane] = mixed->sums[lane] = x;
        mixed->wide[lane] = x;
        mixed->largest = std::max(mixed->largest, std::fabs(mixed->wide[lane]));
    }

    const LaneKernels& kernels;
    std::unique_ptr<LaneJob> job = std::make_unique<LaneJob>();
    std::unique_ptr<MixedOscillator> mixed = std::make_unique<MixedOscillator>();
};

class LaneFilter : public ::testing::TestWithParam<RenderIsa> {
  protected:
    void SetUp() override {
        if (!renderIsaSupported(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << renderIsaName(GetParam());
    }

    // Runs `frames` frames in one run from the given states and compares with the reference.
    static void expectReferenceRun(HeldLanes& held, float g, float damping, std::int32_t mode,
                                   std::int32_t frames, std::int32_t scale, std::mt19937& rng) {
        LaneJob& job = *held.job;
        std::uniform_int_distribution<std::int32_t> value(-scale, scale);
        Voice voices[kMaxLanes]{};
        for (std::int32_t lane = 0; lane < held.lanes(); ++lane) {
            // Multiples of 64 below 2^30 pass through the float rounding of smoothing 0 unchanged.
            held.setInput(lane, value(rng) & ~63);
            voices[lane].bandState = job.bandState[lane] = value(rng);
            voices[lane].lowState = job.lowState[lane] = value(rng);
        }
        held.kernels.run(job, 0, frames);
        for (std::int32_t k = 0; k < frames; ++k)
            for (std::int32_t lane = 0; lane < held.lanes(); ++lane) {
                const std::int32_t y =
                    filterStep(held.mixed->table[lane], voices[lane], g, damping, mode);
                const auto expected = static_cast<float>(static_cast<double>(y) * 1.0f * 1.0f);
                const float got = job.out[job.at(lane / job.width, k, lane % job.width)];
                ASSERT_EQ(bitsOf(got), bitsOf(expected))
                    << "frame " << k << " lane " << lane << " g " << g << " damping " << damping
                    << " mode " << mode << " scale " << scale;
            }
        for (std::int32_t lane = 0; lane < held.lanes(); ++lane) {
            EXPECT_EQ(job.bandState[lane], voices[lane].bandState) << lane;
            EXPECT_EQ(job.lowState[lane], voices[lane].lowState) << lane;
        }
    }
};

// Halves and quarters put a product on a tie at every other frame, where rounding half to even
// and rounding a fused product must agree.
TEST_P(LaneFilter, TiesRoundHalfToEvenInEveryFilterMode) {
    std::mt19937 rng(7);
    for (float g : {0.5f, 0.25f, 0.75f})
        for (float damping : {0.75f, 0.5f, 1.25f, 0.03f})
            for (std::int32_t mode = 0; mode < 4; ++mode) {
                HeldLanes held(GetParam(), g, damping, mode);
                expectReferenceRun(held, g, damping, mode, 100, 1 << 20, rng);
            }
}

// Small states keep the fused filter's values within its limit; states past 2^29 send the run
// back to the plain filter; states between do either. The result is the reference's every time.
TEST_P(LaneFilter, StatesAroundTheFusedLimitKeepTheReferenceArithmetic) {
    // Only AVX2 has a fused kernel: AVX-512 leaves groups this small to AVX2's kernels.
    const bool fuses = GetParam() == RenderIsa::Avx2;
    std::mt19937 rng(11);
    for (std::int32_t scale : {1 << 25, 1 << 28, (1 << 29) + (1 << 28)}) {
        std::uint64_t fused = 0;
        bool paused = false;
        for (int i = 0; i < 20; ++i) {
            const float g = std::uniform_real_distribution<float>(0.0f, 0.785f)(rng);
            const float damping = std::uniform_real_distribution<float>(0.03f, 1.2f)(rng);
            HeldLanes held(GetParam(), g, damping, i % 4);
            expectReferenceRun(held, g, damping, i % 4, 64, scale, rng);
            fused += held.job->fusedFrames;
            paused = paused || held.job->fusedPause > 0;
        }
        if (scale == 1 << 25) {
            EXPECT_EQ(fused > 0, fuses);
        }
        if (scale > 1 << 29) {
            EXPECT_EQ(paused, fuses);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, LaneFilter, ::testing::ValuesIn(allRenderIsas()),
                         isaTestName);

} // namespace
