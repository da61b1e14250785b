// The voice render for voices side by side, written once over a small set of vector operations
// that each instruction set supplies (`Ops`). Included only by the files that compile it for one
// instruction set; everything here is a template on `Ops`, so the copies never mix.
//
// Two kernels compute the reference arithmetic lane by lane (see voice_render.h):
// - the exact kernel keeps the filter in int32 and converts for each product, as the reference
//   does; it holds for every voice the caller hands to the lanes;
// - the wide kernel keeps every integer of the filter as a double, which is exact, rounds to an
//   integer by adding and subtracting 1.5 * 2^52 (nearest, ties to even), and adds without
//   wrapping. That is the reference to the bit as long as no value leaves the int32 range; the
//   kernel tracks the largest values and reports when that could have happened, and the run is
//   then redone with the exact kernel. It needs half the operations and a shorter chain.
// Both rewrite the phase update: (phase - periods) + step in float equals the double sum rounded
// once, because the phase and step are multiples of 2^-31 below 2^18, so the double sum is exact
// and the subtraction of whole periods is exact in float.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

#include "synth/render_lanes.h"

// Everything below has internal linkage: each instruction set's file gets its own copy, compiled
// for that set, and no copy can stand in for another at link time.
namespace lanes {
namespace {

// The kernels' helpers are inlined whatever their size, so that the groups' work interleaves.
#define ULVO_KERNEL_INLINE inline __attribute__((always_inline))

inline double larger(double a, double b) {
    return a > b ? a : b;
}

// What one instantiation of a kernel is specialised for.
struct Shape {
    int groups;      // groups side by side (some may be padding)
    bool smoothZero; // smoothing 0: the table holds the rounded oscillator
    int mode;        // filter output: 0 low-pass, 1 band-pass, 2 high-pass, 3 none
    bool steady;     // one level and coefficient per lane for the whole run
};

// Copies what the kernels read from memory during a run into `work`.
inline void prepareWork(LaneJob& job, int lanes, int width) {
    LaneWork& work = job.work;
    for (int l = 0; l < lanes; ++l) {
        work.gain[l] = job.voiceGain[l];
        work.level[l] = job.steadyLevel[l];
        work.cutoff[l] = job.steadyCutoff[l];
        work.phase[l] = job.phase[l];
        work.smoothed[l] = job.smoothed[l];
        work.largest[l] = larger(std::fabs(static_cast<double>(job.bandState[l])),
                                 std::fabs(static_cast<double>(job.lowState[l])));
        work.largestX[l] = 0;
    }
    for (int l = 0; l < width; ++l) {
        work.damping[l] = job.damping;
        work.smooth[l] = job.smooth;
        work.rest[l] = 1.0 - static_cast<double>(job.smooth);
        work.intMax[l] = 2147483647.0;
        work.magic[l] = 6755399441055744.0;
        work.sign[l] = -0.0;
        work.floatTwo31[l] = 2147483648.0f;
        work.indexMask[l] = kTableSize - 1;
        work.periodMask[l] = ~(kTableSize - 1);
    }
}

// Hidden from the optimiser, so that what is in `work` is read from memory at each use instead
// of being held in (too few) registers.
inline LaneWork* opaque(LaneWork* w) {
    asm("" : "+r"(w));
    return w;
}

// The oscillator at frame k of group q: the mixed table at the rounded phase (itself already
// rounded when the smoothing is 0). Advances the phase.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::I oscillate(LaneJob& job, LaneWork* w, const std::int32_t* table,
                                             int q, std::int32_t k, std::int32_t end) {
    constexpr int W = Ops::kWidth;
    using I = typename Ops::I;
    using F = typename Ops::F;
    const F phase = Ops::loadF(w->phase + q * W);
    const I p = Ops::roundF(phase);
    const I index = Ops::andI(p, Ops::loadI(w->indexMask));
    const I value = Ops::lookup(table, index);
    if (k == end - 1) Ops::storeI(job.lastIndex + q * W, index);
    // Whole periods come off once the rounded phase reaches 4096 (p >= 0 here).
    const F periods = Ops::toF(Ops::andI(p, Ops::loadI(w->periodMask)));
    Ops::storeF(w->phase + q * W,
                Ops::addF(Ops::subF(phase, periods), Ops::loadF(job.phaseStep + q * W)));
    return value;
}

// The smoothing's new state from the oscillator value (smoothing not 0).
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::F smoothe(LaneWork* w, int q, typename Ops::I value) {
    constexpr int W = Ops::kWidth;
    const typename Ops::D before = Ops::widen(Ops::loadF(w->smoothed + q * W));
    const typename Ops::F smoothed =
        Ops::narrow(Ops::addD(Ops::mulD(before, Ops::loadD(w->smooth)),
                              Ops::mulD(Ops::loadD(w->rest), Ops::fromI(value))));
    Ops::storeF(w->smoothed + q * W, smoothed);
    return smoothed;
}

// Writes the phase and smoothing states back; at smoothing 0 the smoothed state is the last
// oscillator value as a float.
inline void finishLanes(LaneJob& job, int lanes, bool smoothZero) {
    for (int l = 0; l < lanes; ++l) {
        job.phase[l] = job.work.phase[l];
        job.smoothed[l] = smoothZero ? static_cast<float>(oscillatorAt(
                                           job.mixed->bank, job.mixed->weights, job.lastIndex[l]))
                                     : job.work.smoothed[l];
    }
}

// --- The exact kernel ------------------------------------------------------------------------

// A filter product rounded to an integer; capped first at 2^31 - 1, which gives roundToInt's
// saturation (the conversion itself saturates below, and the product is finite).
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::I roundProduct(typename Ops::D product, const LaneWork* w) {
    return Ops::roundD(Ops::minD(product, Ops::loadD(w->intMax)));
}

// Per-frame levels and coefficients (steady runs are given them in rows first).
template <class Ops, Shape S> void renderExact(LaneJob& job, std::int32_t begin, std::int32_t end) {
    static_assert(!S.steady);
    constexpr int Groups = S.groups;
    constexpr int W = Ops::kWidth;
    using I = typename Ops::I;
    using F = typename Ops::F;
    using D = typename Ops::D;

    I band[Groups], low[Groups];
#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        band[q] = Ops::loadI(job.bandState + q * W);
        low[q] = Ops::loadI(job.lowState + q * W);
    }
    prepareWork(job, Groups * W, W);
    const std::int32_t* const table = job.mixed->table;

    for (std::int32_t k = begin; k < end; ++k) {
        LaneWork* w = opaque(&job.work);
#pragma GCC unroll 8
        for (int q = 0; q < Groups; ++q) {
            const std::int32_t at = (q * kChunkFrames + k) * W;
            const I value = oscillate<Ops>(job, w, table, q, k, end);
            I x;
            if constexpr (S.smoothZero) {
                x = value;
            } else {
                // 2^31 and above saturate to INT32_MAX (the conversion gives INT32_MIN).
                const F smoothed = smoothe<Ops>(w, q, value);
                x = Ops::xorI(Ops::roundF(smoothed),
                              Ops::geMask(smoothed, Ops::loadF(w->floatTwo31)));
            }

            // Filter.
            const D g = Ops::widen(Ops::loadF(job.cutoff + at));
            const I hp = Ops::subI(
                Ops::subI(x, roundProduct<Ops>(
                                 Ops::mulD(Ops::fromI(band[q]), Ops::loadD(w->damping)), w)),
                low[q]);
            const D hpWide = Ops::fromI(hp);
            const I bp = Ops::addI(roundProduct<Ops>(Ops::mulD(hpWide, g), w), band[q]);
            const D bpWide = Ops::fromI(bp);
            const I lp = Ops::addI(roundProduct<Ops>(Ops::mulD(bpWide, g), w), low[q]);
            band[q] = bp;
            low[q] = lp;
            D y;
            if constexpr (S.mode == 0)
                y = Ops::fromI(lp);
            else if constexpr (S.mode == 1)
                y = bpWide;
            else if constexpr (S.mode == 2)
                y = hpWide;
            else
                y = Ops::fromI(x);

            // Gain.
            const D e = Ops::widen(Ops::loadF(job.level + at));
            Ops::storeF(job.out + at,
                        Ops::narrow(Ops::mulD(Ops::mulD(y, e), Ops::loadD(w->gain + q * W))));
        }
    }

#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        Ops::storeI(job.bandState + q * W, band[q]);
        Ops::storeI(job.lowState + q * W, low[q]);
    }
    finishLanes(job, Groups * W, S.smoothZero);
}

// --- The wide kernel -------------------------------------------------------------------------

// Nearest integer, ties to even, for values below 2^51 in size.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::D roundWide(typename Ops::D v, typename Ops::D magic) {
    return Ops::subD(Ops::addD(v, magic), magic);
}

// Returns false, with the lanes' states and outputs left unusable, when a value may have left the
// int32 range.
template <class Ops, Shape S> bool renderWide(LaneJob& job, std::int32_t begin, std::int32_t end) {
    constexpr int Groups = S.groups;
    constexpr int W = Ops::kWidth;
    using I = typename Ops::I;
    using D = typename Ops::D;

    D band[Groups], low[Groups];
#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        band[q] = Ops::fromI(Ops::loadI(job.bandState + q * W));
        low[q] = Ops::fromI(Ops::loadI(job.lowState + q * W));
    }
    prepareWork(job, Groups * W, W);
    const std::int32_t* const table = job.mixed->table;

    for (std::int32_t k = begin; k < end; ++k) {
        LaneWork* w = opaque(&job.work);
#pragma GCC unroll 8
        for (int q = 0; q < Groups; ++q) {
            const std::int32_t at = (q * kChunkFrames + k) * W;
            const I value = oscillate<Ops>(job, w, table, q, k, end);
            const D magic = Ops::loadD(w->magic);
            D x;
            if constexpr (S.smoothZero) {
                x = Ops::fromI(value);
            } else {
                x = roundWide<Ops>(Ops::widen(smoothe<Ops>(w, q, value)), magic);
                Ops::storeD(w->largestX + q * W, Ops::maxD(Ops::loadD(w->largestX + q * W),
                                                           Ops::andNotD(Ops::loadD(w->sign), x)));
            }

            // Filter.
            D g;
            if constexpr (S.steady)
                g = Ops::loadD(w->cutoff + q * W);
            else
                g = Ops::widen(Ops::loadF(job.cutoff + at));
            const D hp = Ops::subD(
                Ops::subD(x, roundWide<Ops>(Ops::mulD(band[q], Ops::loadD(w->damping)), magic)),
                low[q]);
            const D bp = Ops::addD(roundWide<Ops>(Ops::mulD(hp, g), magic), band[q]);
            const D lp = Ops::addD(roundWide<Ops>(Ops::mulD(bp, g), magic), low[q]);
            band[q] = bp;
            low[q] = lp;
            const D sign = Ops::loadD(w->sign);
            Ops::storeD(w->largest + q * W,
                        Ops::maxD(Ops::loadD(w->largest + q * W),
                                  Ops::maxD(Ops::andNotD(sign, bp), Ops::andNotD(sign, lp))));
            D y;
            if constexpr (S.mode == 0)
                y = lp;
            else if constexpr (S.mode == 1)
                y = bp;
            else if constexpr (S.mode == 2)
                y = hp;
            else
                y = x;

            // Gain.
            D e;
            if constexpr (S.steady)
                e = Ops::loadD(w->level + q * W);
            else
                e = Ops::widen(Ops::loadF(job.level + at));
            Ops::storeF(job.out + at,
                        Ops::narrow(Ops::mulD(Ops::mulD(y, e), Ops::loadD(w->gain + q * W))));
        }
    }

    // Every value stayed inside the int32 range if the states and the filter input did with
    // room for one step: |hp| <= |x| + |damping| |band| + 1/2 + |low|, and each product is at
    // most its factor in size (coefficients below 1).
    double largest = 0, largestX = S.smoothZero ? job.mixed->largest : 0;
    for (int l = 0; l < Groups * W; ++l) {
        largest = larger(largest, job.work.largest[l]);
        largestX = larger(largestX, job.work.largestX[l]);
    }
    if (!(largestX + (1.0 + std::fabs(static_cast<double>(job.damping))) * largest + 1.0 <=
          2147483647.0))
        return false;

#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        Ops::storeI(job.bandState + q * W, Ops::roundD(band[q]));
        Ops::storeI(job.lowState + q * W, Ops::roundD(low[q]));
    }
    finishLanes(job, Groups * W, S.smoothZero);
    return true;
}

// --- Choosing the instantiation --------------------------------------------------------------

using ExactFn = void (*)(LaneJob&, std::int32_t, std::int32_t);
using WideFn = bool (*)(LaneJob&, std::int32_t, std::int32_t);

// The smallest group count the instruction set has kernels for that holds `groups`; the lanes
// beyond the job's are padding.
template <class Ops> constexpr int paddedGroups(int groups) {
    for (int g : Ops::kGroupCounts)
        if (g >= groups) return g;
    return 0;
}

template <class Ops, int Groups, bool SmoothZero> ExactFn pickExact(std::int32_t mode) {
    switch (mode) {
    case 0:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 0, false}>;
    case 1:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 1, false}>;
    case 2:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 2, false}>;
    default:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 3, false}>;
    }
}

template <class Ops, int Groups, bool SmoothZero, bool Steady> WideFn pickWide(std::int32_t mode) {
    switch (mode) {
    case 0:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 0, Steady}>;
    case 1:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 1, Steady}>;
    case 2:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 2, Steady}>;
    default:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 3, Steady}>;
    }
}

template <class Ops> struct Kernels {
    ExactFn exact = nullptr;
    WideFn wide = nullptr;
};

template <class Ops, int Groups> Kernels<Ops> pickForGroups(const LaneJob& job) {
    Kernels<Ops> k;
    const bool zero = job.smooth == 0.0f;
    k.exact = zero ? pickExact<Ops, Groups, true>(job.filterMode)
                   : pickExact<Ops, Groups, false>(job.filterMode);
    if (zero)
        k.wide = job.steady ? pickWide<Ops, Groups, true, true>(job.filterMode)
                            : pickWide<Ops, Groups, true, false>(job.filterMode);
    else
        k.wide = job.steady ? pickWide<Ops, Groups, false, true>(job.filterMode)
                            : pickWide<Ops, Groups, false, false>(job.filterMode);
    return k;
}

template <class Ops, std::size_t... At>
Kernels<Ops> pick(const LaneJob& job, std::index_sequence<At...>) {
    Kernels<Ops> k;
    ((job.groups == Ops::kGroupCounts[At] ? (k = pickForGroups<Ops, Ops::kGroupCounts[At]>(job), 0)
                                          : 0),
     ...);
    return k;
}

// The rows a steady run does without, for the exact kernel.
inline void placeSteadyRows(LaneJob& job, std::int32_t begin, std::int32_t end) {
    const int lanes = job.groups * job.width;
    for (int lane = 0; lane < lanes; ++lane)
        for (std::int32_t k = begin; k < end; ++k) {
            const std::int32_t at = job.at(lane / job.width, k, lane % job.width);
            job.level[at] = job.steadyLevel[lane];
            job.cutoff[at] = job.steadyCutoff[lane];
        }
}

// Renders frames [begin, end) of the job's lanes: the wide kernel where it may hold, checked, and
// the exact kernel where it may not or did not.
template <class Ops> void run(LaneJob& job, std::int32_t begin, std::int32_t end) {
    if (begin >= end) return;
    const Kernels<Ops> k = pick<Ops>(job, std::make_index_sequence<std::size(Ops::kGroupCounts)>{});
    if (k.exact == nullptr) return;
    if (job.coefficientsBounded && std::fabs(job.damping) <= 2.0f) {
        const int lanes = job.groups * job.width;
        float phase[kMaxLanes], smoothed[kMaxLanes];
        std::int32_t band[kMaxLanes], low[kMaxLanes];
        std::memcpy(phase, job.phase, sizeof(float) * lanes);
        std::memcpy(smoothed, job.smoothed, sizeof(float) * lanes);
        std::memcpy(band, job.bandState, sizeof(std::int32_t) * lanes);
        std::memcpy(low, job.lowState, sizeof(std::int32_t) * lanes);
        if (k.wide(job, begin, end)) return;
        std::memcpy(job.phase, phase, sizeof(float) * lanes);
        std::memcpy(job.smoothed, smoothed, sizeof(float) * lanes);
        std::memcpy(job.bandState, band, sizeof(std::int32_t) * lanes);
        std::memcpy(job.lowState, low, sizeof(std::int32_t) * lanes);
    }
    if (job.steady) placeSteadyRows(job, begin, end);
    k.exact(job, begin, end);
    job.exactFrames += static_cast<std::uint64_t>(end - begin) * job.groups * job.width;
}

// --- The mixed oscillator --------------------------------------------------------------------

// Table entry i: the sum over the seven blocks of bank entry i times the block's weight,
// wrapping; with `rounded`, that sum as a float rounded back to an integer the way roundToInt
// does (a float of an int32 is a whole number, and 2^31 saturates).
template <class Ops>
void buildOscillator(MixedOscillator& mixed, const std::int32_t* bank, const std::int32_t* weights,
                     bool rounded) {
    auto* out = reinterpret_cast<std::uint32_t*>(mixed.table);
    const auto* in = reinterpret_cast<const std::uint32_t*>(bank);
    const auto w0 = static_cast<std::uint32_t>(weights[0]);
    for (int i = 0; i < kTableSize; ++i)
        out[i] = in[i] * w0;
    for (int k = 1; k < kHarmonicBlocks; ++k) {
        const auto w = static_cast<std::uint32_t>(weights[k]);
        const std::uint32_t* block = in + kTableSize * k;
        for (int i = 0; i < kTableSize; ++i)
            out[i] += block[i] * w;
    }
    if (rounded)
        for (int i = 0; i < kTableSize; ++i) {
            const auto f = static_cast<float>(mixed.table[i]);
            mixed.table[i] = f >= 2147483648.0f ? INT32_MAX : static_cast<std::int32_t>(f);
        }
    double largest = 0;
    for (int i = 0; i < kTableSize; ++i)
        largest = larger(largest, std::fabs(static_cast<double>(mixed.table[i])));
    mixed.largest = largest;
    for (int k = 0; k < kHarmonicBlocks; ++k)
        mixed.weights[k] = weights[k];
    mixed.bank = bank;
    mixed.rounded = rounded;
}

#undef ULVO_KERNEL_INLINE

} // namespace
} // namespace lanes
