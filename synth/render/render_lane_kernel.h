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

#include <emmintrin.h>

#include "synth/render/render_lanes.h"

// Everything below has internal linkage: each instruction set's file gets its own copy, compiled
// for that set, and no copy can stand in for another at link time.
namespace lanes {
namespace {

// The kernels' helpers are inlined whatever their size, so that the groups' work interleaves.
#define ULVO_KERNEL_INLINE inline __attribute__((always_inline))

inline double larger(double a, double b) {
    return a > b ? a : b;
}

// The table entries at four lanes' indices, read with plain loads: on the CPUs we measured, a
// vector gather costs more, and far more while stores are in flight.
ULVO_KERNEL_INLINE __m128i lookupFour(const std::int32_t* table, __m128i index) {
#if defined(__x86_64__) || defined(_M_X64)
    const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(index));
    const auto high =
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
    return _mm_setr_epi32(table[low & 0xFFFFFFFFu], table[low >> 32], table[high & 0xFFFFFFFFu],
                          table[high >> 32]);
#else
    return _mm_setr_epi32(table[_mm_cvtsi128_si32(index)],
                          table[_mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1))],
                          table[_mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2))],
                          table[_mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3))]);
#endif
}

// The table entries at four lanes' indices and the entries after them, each pair read with one
// load (Clean's interpolation reads both).
ULVO_KERNEL_INLINE void lookupPairFour(const std::int32_t* table, __m128i index, __m128i& at,
                                       __m128i& next) {
    const auto pair = [table](std::uint64_t i) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table + i));
    };
#if defined(__x86_64__) || defined(_M_X64)
    const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(index));
    const auto high =
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
    const __m128i p0 = pair(low & 0xFFFFFFFFu), p1 = pair(low >> 32);
    const __m128i p2 = pair(high & 0xFFFFFFFFu), p3 = pair(high >> 32);
#else
    const auto lane = [index](int l) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(
            _mm_cvtsi128_si32(_mm_shuffle_epi32(index, _MM_SHUFFLE(l, l, l, l)))));
    };
    const __m128i p0 = pair(lane(0)), p1 = pair(lane(1)), p2 = pair(lane(2)), p3 = pair(lane(3));
#endif
    // (a0 b0 a1 b1) and (a2 b2 a3 b3), then the a's and the b's.
    const __m128 first = _mm_castsi128_ps(_mm_unpacklo_epi64(p0, p1));
    const __m128 second = _mm_castsi128_ps(_mm_unpacklo_epi64(p2, p3));
    at = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
    next = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
}

// What one instantiation of a kernel is specialised for.
struct Shape {
    int groups;         // groups side by side (some may be padding)
    bool smoothZero;    // smoothing 0: the table holds the rounded oscillator
    int mode;           // filter output: 0 low-pass, 1 band-pass, 2 high-pass, 3 none
    bool steady;        // one level and coefficient per lane for the whole run
    bool fused = false; // the wide kernel's filter on fused multiply-adds (see renderWide)
    bool clean = false; // Clean oscillators
};

// Copies the lanes' constants and the shared ones into `work`, as doubles where the kernels
// compute in doubles (the fixed ones are there from the start).
template <class Ops> ULVO_KERNEL_INLINE void prepareWork(LaneJob& job, int groups) {
    constexpr int W = Ops::kWidth;
    LaneWork& work = job.work;
    for (int q = 0; q < groups; ++q) {
        Ops::storeD(work.gain + q * W, Ops::widen(Ops::loadF(job.voiceGain + q * W)));
        Ops::storeD(work.level + q * W, Ops::widen(Ops::loadF(job.steadyLevel + q * W)));
        Ops::storeD(work.cutoff + q * W, Ops::widen(Ops::loadF(job.steadyCutoff + q * W)));
    }
    Ops::storeD(work.damping, Ops::setD(job.damping));
    Ops::storeD(work.negDamping, Ops::setD(-static_cast<double>(job.damping)));
    Ops::storeD(work.smooth, Ops::setD(job.smooth));
    Ops::storeD(work.rest, Ops::setD(1.0 - static_cast<double>(job.smooth)));
}

// Hidden from the optimiser, so that what is in `work` is read from memory at each use instead
// of being held in (too few) registers.
inline LaneWork* opaque(LaneWork* w) {
    asm("" : "+r"(w));
    return w;
}

// The Clean oscillator at frame k of group q before its rounding: the lane's own table
// interpolated between the entries either side of the phase, as cleanOscillator
// (voice_render.h) computes it. The phase plus one is at least 1/2 in the lanes, so truncation
// gives its whole part; the table is stored one entry on, so that whole part indexes the entry
// below.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::F interpolateClean(const LaneJob& job, const LaneWork* w,
                                                    const std::int32_t* table, int q,
                                                    typename Ops::F phase, typename Ops::I& index) {
    using I = typename Ops::I;
    using F = typename Ops::F;
    const F shifted = Ops::addF(phase, Ops::loadF(w->floatOne));
    const I whole = Ops::truncF(shifted);
    index = Ops::addI(Ops::andI(whole, Ops::loadI(w->indexMask)),
                      Ops::loadI(job.cleanOffset + q * Ops::kWidth));
    I at, next;
    Ops::lookupPair(table, index, at, next);
    const F a = Ops::bitsF(at);
    const F fraction = Ops::subF(shifted, Ops::toF(whole));
    return Ops::addF(a, Ops::mulF(fraction, Ops::subF(Ops::bitsF(next), a)));
}

// A float rounded to an integer as roundToInt rounds it: 2^31 and above saturate to INT32_MAX
// (the conversion gives INT32_MIN).
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::I saturatingRound(const LaneWork* w, typename Ops::F v) {
    return Ops::xorI(Ops::roundF(v), Ops::geMask(v, Ops::loadF(w->floatTwo31)));
}

// Whole periods come off once the rounded phase `p` reaches 4096 (p >= 0 here).
template <class Ops>
ULVO_KERNEL_INLINE void advancePhase(const LaneJob& job, const LaneWork* w, int q,
                                     typename Ops::F& phase, typename Ops::I p) {
    const typename Ops::F periods = Ops::toF(Ops::andI(p, Ops::loadI(w->periodMask)));
    phase = Ops::addF(Ops::subF(phase, periods), Ops::loadF(job.phaseStep + q * Ops::kWidth));
}

// The oscillator at frame k of group q: the mixed table at the rounded phase (itself already
// rounded when the smoothing is 0), or, Clean, the interpolated value rounded. Advances the
// phase.
template <class Ops, bool Clean>
ULVO_KERNEL_INLINE typename Ops::I oscillate(const LaneJob& job, LaneWork* w,
                                             const std::int32_t* table, int q,
                                             typename Ops::F& phase, typename Ops::I& index) {
    using I = typename Ops::I;
    const I p = Ops::roundF(phase);
    I value;
    if constexpr (Clean) {
        value = saturatingRound<Ops>(w, interpolateClean<Ops>(job, w, table, q, phase, index));
    } else {
        index = Ops::andI(p, Ops::loadI(w->indexMask));
        value = Ops::lookup(table, index);
    }
    advancePhase<Ops>(job, w, q, phase, p);
    return value;
}

// Clean at smoothing 0: the interpolated value rounded, without the saturation. Only for the
// wide kernels, whose range check refuses the values that would saturate. Advances the phase.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::I
oscillateCleanUnsmoothed(const LaneJob& job, LaneWork* w, const std::int32_t* table, int q,
                         typename Ops::F& phase, typename Ops::I& index) {
    const typename Ops::I p = Ops::roundF(phase);
    const typename Ops::I v = Ops::roundF(interpolateClean<Ops>(job, w, table, q, phase, index));
    advancePhase<Ops>(job, w, q, phase, p);
    return v;
}

// The smoothing's new state from the oscillator value (smoothing not 0).
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::F smoothe(LaneWork* w, typename Ops::F& smoothed,
                                           typename Ops::I value) {
    smoothed = Ops::narrow(Ops::addD(Ops::mulD(Ops::widen(smoothed), Ops::loadD(w->smooth)),
                                     Ops::mulD(Ops::loadD(w->rest), Ops::fromI(value))));
    return smoothed;
}

// Writes the phase and smoothing states back; at smoothing 0 the smoothed state is the oscillator
// value of the last frame (at table index `index`), unrounded, as a float.
template <class Ops, int Groups, bool SmoothZero>
ULVO_KERNEL_INLINE void finishLanes(LaneJob& job, const typename Ops::F* phase,
                                    const typename Ops::F* smoothed, const typename Ops::I* index) {
    constexpr int W = Ops::kWidth;
    for (int q = 0; q < Groups; ++q) {
        Ops::storeF(job.phase + q * W, phase[q]);
        if constexpr (SmoothZero)
            Ops::storeI(job.lastIndex + q * W, index[q]);
        else
            Ops::storeF(job.smoothed + q * W, smoothed[q]);
    }
    if constexpr (SmoothZero)
        for (int l = 0; l < Groups * W; ++l)
            job.smoothed[l] = static_cast<float>(job.mixed->sums[job.lastIndex[l]]);
}

// Adds frames [k, k + 4) of the mixed lanes into the outputs, lane after lane, as render_mix.cpp
// does after a run; `keep` first saves what the outputs held.
template <int W, int Groups>
ULVO_KERNEL_INLINE void mixQuad(LaneJob& job, std::int32_t k, bool keep) {
    float* left = job.mixLeft + k;
    float* right = job.mixRight + k;
    const bool same = left == right;
    __m128 l = job.mixReplace ? _mm_setzero_ps() : _mm_loadu_ps(left);
    __m128 r = job.mixReplace || same ? _mm_setzero_ps() : _mm_loadu_ps(right);
    if (keep) {
        _mm_storeu_ps(job.mixKept[0] + k, l);
        _mm_storeu_ps(job.mixKept[1] + k, r);
    }
    const auto add = [&](__m128 v) {
        l = _mm_add_ps(l, v);
        if (same)
            l = _mm_add_ps(l, v);
        else
            r = _mm_add_ps(r, v);
    };
    const std::int32_t lanes = job.mixLanes;
#pragma GCC unroll 8
    for (int base = 0; base < Groups * W; base += 4) {
        if (base >= lanes) break;
        // Four lanes at four frames, turned into each lane's four frames; only as many lanes as
        // are mixed.
        const float* p =
            job.out + (base / W * kChunkFrames + (k & (kChunkFrames - 1))) * W + base % W;
        const __m128 f0 = _mm_loadu_ps(p), f1 = _mm_loadu_ps(p + W), f2 = _mm_loadu_ps(p + 2 * W),
                     f3 = _mm_loadu_ps(p + 3 * W);
        const __m128 low01 = _mm_unpacklo_ps(f0, f1), low23 = _mm_unpacklo_ps(f2, f3);
        add(_mm_movelh_ps(low01, low23));
        if (lanes - base < 2) break;
        add(_mm_movehl_ps(low23, low01));
        if (lanes - base < 3) break;
        const __m128 high01 = _mm_unpackhi_ps(f0, f1), high23 = _mm_unpackhi_ps(f2, f3);
        add(_mm_movelh_ps(high01, high23));
        if (lanes - base < 4) break;
        add(_mm_movehl_ps(high23, high01));
    }
    _mm_storeu_ps(left, l);
    if (!same) _mm_storeu_ps(right, r);
}

// Puts back what a redone run's outputs held before its frames [begin, end) were added.
inline void restoreMix(LaneJob& job, std::int32_t begin, std::int32_t end) {
    const bool same = job.mixLeft == job.mixRight;
    for (std::int32_t k = begin; k + 4 <= end; k += 4) {
        std::memcpy(job.mixLeft + k, job.mixKept[0] + k, sizeof(float) * 4);
        if (!same) std::memcpy(job.mixRight + k, job.mixKept[1] + k, sizeof(float) * 4);
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

    I band[Groups], low[Groups], index[Groups];
    F phase[Groups], smoothed[Groups];
#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        band[q] = Ops::loadI(job.bandState + q * W);
        low[q] = Ops::loadI(job.lowState + q * W);
        phase[q] = Ops::loadF(job.phase + q * W);
        smoothed[q] = Ops::loadF(job.smoothed + q * W);
        index[q] = Ops::setI(0);
    }
    prepareWork<Ops>(job, Groups);
    const std::int32_t* const table = S.clean ? job.cleanTable : job.mixed->table;
    const bool mixing = job.mixLanes > 0;

    // When mixing, every fourth frame ends with the addition of the last four.
    std::int32_t untilMix = mixing ? 4 : -1;
    for (std::int32_t k = begin; k < end; ++k) {
        LaneWork* w = opaque(&job.work);
#pragma GCC unroll 8
        for (int q = 0; q < Groups; ++q) {
            const std::int32_t at = (q * kChunkFrames + (k & (kChunkFrames - 1))) * W;
            const I value = oscillate<Ops, S.clean>(job, w, table, q, phase[q], index[q]);
            I x;
            if constexpr (S.smoothZero && S.clean) {
                // The smoothing at 0 hands on the value as a float, rounded back (and saturated
                // at 2^31); no chain from frame to frame.
                smoothed[q] = Ops::toF(value);
                x = Ops::xorI(Ops::roundF(smoothed[q]),
                              Ops::geMask(smoothed[q], Ops::loadF(w->floatTwo31)));
            } else if constexpr (S.smoothZero) {
                x = value;
            } else {
                // 2^31 and above saturate to INT32_MAX (the conversion gives INT32_MIN).
                const F s = smoothe<Ops>(w, smoothed[q], value);
                x = Ops::xorI(Ops::roundF(s), Ops::geMask(s, Ops::loadF(w->floatTwo31)));
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
        if (--untilMix == 0) {
            mixQuad<W, Groups>(job, k - 3, false);
            untilMix = 4;
        }
    }

#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        Ops::storeI(job.bandState + q * W, band[q]);
        Ops::storeI(job.lowState + q * W, low[q]);
    }
    finishLanes<Ops, Groups, S.smoothZero && !S.clean>(job, phase, smoothed, index);
}

// --- The wide kernel -------------------------------------------------------------------------

// Nearest integer, ties to even, for values below 2^51 in size.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::D roundWide(typename Ops::D v, typename Ops::D magic) {
    return Ops::subD(Ops::addD(v, magic), magic);
}

// The same for the products on the filter's feedback chain, in one instruction where the set has
// one (half the latency on the CPUs we measured). It may give -0 where roundWide gives +0; that
// never shows, as each such product is added to a state or subtracted from a filter input, and
// neither is ever -0.
template <class Ops>
ULVO_KERNEL_INLINE typename Ops::D roundChain(typename Ops::D v, typename Ops::D magic) {
    if constexpr (requires { Ops::roundNearest(v); })
        return Ops::roundNearest(v);
    else
        return roundWide<Ops>(v, magic);
}

// The largest filter value the fused filter takes: any integer up to 2^29 in size times a float
// (24 significant bits) is exact in a double.
inline constexpr double kFusedLimit = 536870912.0;

// Returns false, with the lanes' states as they were and the outputs unusable, when a value may
// have left the int32 range.
//
// With `S.fused`, the filter's feedback chain is shortened for few voices, where its latency and
// not the operation count sets the cost. While every filter value stays within kFusedLimit, each
// product is exact, so fma(a, b, M) with M = 1.5 * 2^52 is the rounded product plus M, ties to
// even as roundToInt; and the next frame's high-pass, x - r(band d) - low, is taken as
// (x - low before this frame) + (-r(bp d) - r(bp g)) from the two roundings at once instead of
// after the low-pass. The run reports failure when a value went past the limit.
template <class Ops, Shape S> bool renderWide(LaneJob& job, std::int32_t begin, std::int32_t end) {
    constexpr int Groups = S.groups;
    constexpr int W = Ops::kWidth;
    using I = typename Ops::I;
    using F = typename Ops::F;
    using D = typename Ops::D;

    D band[Groups], low[Groups], largest[Groups], largestX[Groups];
    // Fused only: the low-pass state before the last frame, and -r(bp d) - r(bp g) of that frame.
    D lowBefore[Groups], pending[Groups];
    F phase[Groups], smoothed[Groups];
    I index[Groups], rounded[Groups]; // rounded: Clean at smoothing 0
    const D sign = Ops::setD(-0.0);
    prepareWork<Ops>(job, Groups);
#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        band[q] = Ops::fromI(Ops::loadI(job.bandState + q * W));
        low[q] = Ops::fromI(Ops::loadI(job.lowState + q * W));
        largest[q] = Ops::maxD(Ops::andNotD(sign, band[q]), Ops::andNotD(sign, low[q]));
        largestX[q] = Ops::setD(0.0);
        phase[q] = Ops::loadF(job.phase + q * W);
        smoothed[q] = Ops::loadF(job.smoothed + q * W);
        index[q] = rounded[q] = Ops::setI(0);
        if constexpr (S.fused) {
            // So that the first frame's high-pass is x - low - r(band d).
            const D magic = Ops::loadD(job.work.magic);
            lowBefore[q] = low[q];
            pending[q] =
                Ops::subD(Ops::fusedMulAdd(band[q], Ops::loadD(job.work.negDamping), magic), magic);
        }
    }
    const std::int32_t* const table = S.clean ? job.cleanTable : job.mixed->table;
    const bool mixing = job.mixLanes > 0, keep = !job.mixReplace;

    std::int32_t untilMix = mixing ? 4 : -1;
    for (std::int32_t k = begin; k < end; ++k) {
        LaneWork* w = opaque(&job.work);
#pragma GCC unroll 8
        for (int q = 0; q < Groups; ++q) {
            const std::int32_t at = (q * kChunkFrames + (k & (kChunkFrames - 1))) * W;
            const D magic = Ops::loadD(w->magic);
            D x;
            if constexpr (S.smoothZero && S.clean) {
                // The lanes' tables bound these values (job.cleanBound): nothing to track. The
                // smoothed state, the last value as a float, is set after the run.
                rounded[q] = oscillateCleanUnsmoothed<Ops>(job, w, table, q, phase[q], index[q]);
                x = Ops::fromI(rounded[q]);
            } else {
                const I value = oscillate<Ops, S.clean>(job, w, table, q, phase[q], index[q]);
                if constexpr (S.smoothZero &&
                              requires { Ops::lookupWide(job.mixed->wide, index[q]); }) {
                    // The same entries, read as doubles: no conversion on the way to the filter.
                    x = Ops::lookupWide(job.mixed->wide, index[q]);
                } else if constexpr (S.smoothZero) {
                    x = Ops::fromI(value);
                } else {
                    x = roundWide<Ops>(Ops::widen(smoothe<Ops>(w, smoothed[q], value)), magic);
                    largestX[q] = Ops::maxD(largestX[q], Ops::andNotD(Ops::loadD(w->sign), x));
                }
            }

            // Filter.
            D g;
            if constexpr (S.steady)
                g = Ops::loadD(w->cutoff + q * W);
            else
                g = Ops::widen(Ops::loadF(job.cutoff + at));
            D hp, bp, lp;
            if constexpr (S.fused) {
                hp = Ops::addD(Ops::subD(x, lowBefore[q]), pending[q]);
                bp = Ops::addD(Ops::fusedMulAdd(hp, g, magic), Ops::subD(band[q], magic));
                const D lowStep = Ops::fusedMulAdd(bp, g, magic);
                lp = Ops::addD(Ops::subD(lowStep, magic), low[q]);
                pending[q] =
                    Ops::subD(Ops::fusedMulAdd(bp, Ops::loadD(w->negDamping), magic), lowStep);
                lowBefore[q] = low[q];
            } else {
                hp = Ops::subD(Ops::subD(x, roundChain<Ops>(
                                                Ops::mulD(band[q], Ops::loadD(w->damping)), magic)),
                               low[q]);
                bp = Ops::addD(roundChain<Ops>(Ops::mulD(hp, g), magic), band[q]);
                lp = Ops::addD(roundChain<Ops>(Ops::mulD(bp, g), magic), low[q]);
            }
            band[q] = bp;
            low[q] = lp;
            // The fused filter follows the high-pass instead of the low-pass: its products must
            // stay exact, and each low-pass state but the last is bounded by the next frame's
            // high-pass as the plain filter's high-pass is by its states.
            const D signs = Ops::loadD(w->sign);
            largest[q] = Ops::maxD(largest[q], Ops::maxD(Ops::andNotD(signs, bp),
                                                         Ops::andNotD(signs, S.fused ? hp : lp)));
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
        if (--untilMix == 0) {
            mixQuad<W, Groups>(job, k - 3, keep);
            untilMix = 4;
        }
    }

    // Every value stayed inside the int32 range if the states and the filter input did with
    // room for one step: |hp| <= |x| + |damping| |band| + 1/2 + |low|, and each product is at
    // most its factor in size (coefficients below 1). The fused filter tracked the high-pass
    // instead, and the same sum bounds each low-pass state by it: only the last is added here.
    // The groups' largest values first, then the lanes of one vector.
    if constexpr (S.fused)
        for (int q = 0; q < Groups; ++q)
            largest[q] = Ops::maxD(largest[q], Ops::andNotD(sign, low[q]));
#pragma GCC unroll 8
    for (int q = 1; q < Groups; ++q) {
        largest[0] = Ops::maxD(largest[0], largest[q]);
        if constexpr (!S.smoothZero) largestX[0] = Ops::maxD(largestX[0], largestX[q]);
    }
    Ops::storeD(job.work.largest, largest[0]);
    double most = 0, mostX = S.clean ? job.cleanBound : job.mixed->largest;
    if constexpr (!S.smoothZero) {
        Ops::storeD(job.work.largestX, largestX[0]);
        mostX = 0;
    }
    for (int l = 0; l < W; ++l) {
        most = larger(most, job.work.largest[l]);
        if constexpr (!S.smoothZero) mostX = larger(mostX, job.work.largestX[l]);
    }
    if (!(mostX + (1.0 + std::fabs(static_cast<double>(job.damping))) * most + 1.0 <= 2147483647.0))
        return false;
    if (S.fused && !(most <= kFusedLimit)) return false;

#pragma GCC unroll 8
    for (int q = 0; q < Groups; ++q) {
        Ops::storeI(job.bandState + q * W, Ops::roundD(band[q]));
        Ops::storeI(job.lowState + q * W, Ops::roundD(low[q]));
    }
    if constexpr (S.smoothZero && S.clean)
        for (int q = 0; q < Groups; ++q)
            smoothed[q] = Ops::toF(rounded[q]);
    finishLanes<Ops, Groups, S.smoothZero && !S.clean>(job, phase, smoothed, index);
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

template <class Ops, int Groups, bool SmoothZero, bool Clean = false>
ExactFn pickExact(std::int32_t mode) {
    switch (mode) {
    case 0:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 0, false, false, Clean}>;
    case 1:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 1, false, false, Clean}>;
    case 2:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 2, false, false, Clean}>;
    default:
        return &renderExact<Ops, Shape{Groups, SmoothZero, 3, false, false, Clean}>;
    }
}

template <class Ops, int Groups, bool SmoothZero, bool Steady, bool Fused = false,
          bool Clean = false>
WideFn pickWide(std::int32_t mode) {
    switch (mode) {
    case 0:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 0, Steady, Fused, Clean}>;
    case 1:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 1, Steady, Fused, Clean}>;
    case 2:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 2, Steady, Fused, Clean}>;
    default:
        return &renderWide<Ops, Shape{Groups, SmoothZero, 3, Steady, Fused, Clean}>;
    }
}

template <class Ops> struct Kernels {
    ExactFn exact = nullptr;
    WideFn wide = nullptr;
    WideFn fused = nullptr; // where the instruction set has fused multiply-add, for one group
};

// One group's frames wait on the filter's feedback chain; with more, the groups' chains overlap
// and the operation count sets the cost, which fusing does not lower.
template <class Ops, int Groups>
constexpr bool kFusedKernel = Groups == 1 && requires(typename Ops::D v) {
    Ops::fusedMulAdd(v, v, v);
};

// Clean oscillators: at smoothing 0 the interpolated value is rounded as the smoothing at 0
// rounds it, without the smoothing's chain from frame to frame.
template <class Ops, int Groups, bool Zero> Kernels<Ops> pickCleanKernels(const LaneJob& job) {
    Kernels<Ops> k;
    k.exact = pickExact<Ops, Groups, Zero, true>(job.filterMode);
    k.wide = job.steady ? pickWide<Ops, Groups, Zero, true, false, true>(job.filterMode)
                        : pickWide<Ops, Groups, Zero, false, false, true>(job.filterMode);
    if constexpr (kFusedKernel<Ops, Groups>)
        k.fused = job.steady ? pickWide<Ops, Groups, Zero, true, true, true>(job.filterMode)
                             : pickWide<Ops, Groups, Zero, false, true, true>(job.filterMode);
    return k;
}

template <class Ops, int Groups> Kernels<Ops> pickCleanForGroups(const LaneJob& job) {
    return job.smooth == 0.0f ? pickCleanKernels<Ops, Groups, true>(job)
                              : pickCleanKernels<Ops, Groups, false>(job);
}

template <class Ops, int Groups> Kernels<Ops> pickForGroups(const LaneJob& job) {
    if (job.clean) return pickCleanForGroups<Ops, Groups>(job);
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
    if constexpr (kFusedKernel<Ops, Groups>) {
        if (zero)
            k.fused = job.steady ? pickWide<Ops, Groups, true, true, true>(job.filterMode)
                                 : pickWide<Ops, Groups, true, false, true>(job.filterMode);
        else
            k.fused = job.steady ? pickWide<Ops, Groups, false, true, true>(job.filterMode)
                                 : pickWide<Ops, Groups, false, false, true>(job.filterMode);
    }
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

// The rows a steady run does without, for the exact kernel (every row for a run of a chunk or
// more).
inline void placeSteadyRows(LaneJob& job, std::int32_t begin, std::int32_t end) {
    const int lanes = job.groups * job.width;
    const std::int32_t last = end - begin < kChunkFrames ? end : begin + kChunkFrames;
    for (int lane = 0; lane < lanes; ++lane)
        for (std::int32_t k = begin; k < last; ++k) {
            const std::int32_t at =
                job.at(lane / job.width, k & (kChunkFrames - 1), lane % job.width);
            job.level[at] = job.steadyLevel[lane];
            job.cutoff[at] = job.steadyCutoff[lane];
        }
}

// Runs without the fused kernel after it found its values too large: loud resonant voices stay
// loud, and each failed run costs a second one.
inline constexpr std::int32_t kFusedPauseRuns = 32;

// Renders frames [begin, end) of the job's lanes: the fused or wide kernel where it may hold,
// checked, and the exact kernel where it may not or did not.
template <class Ops> void run(LaneJob& job, std::int32_t begin, std::int32_t end) {
    if (begin >= end) return;
    const Kernels<Ops> k = pick<Ops>(job, std::make_index_sequence<std::size(Ops::kGroupCounts)>{});
    if (k.exact == nullptr) return;
    // Redone from the same states; replacing outputs are simply written again.
    const auto undoMix = [&] {
        if (job.mixLanes > 0 && !job.mixReplace) restoreMix(job, begin, end);
    };
    // The wide kernels' range check holds for damping from 0 to 2: a negative damping makes the
    // filter grow faster than the check's bound, up to values that are no longer numbers.
    if (job.coefficientsBounded && job.damping >= 0.0f && job.damping <= 2.0f) {
        if (k.fused != nullptr && job.fusedPause == 0) {
            if (k.fused(job, begin, end)) {
                job.fusedFrames += static_cast<std::uint64_t>(end - begin) * job.groups * job.width;
                return;
            }
            undoMix();
            job.fusedPause = kFusedPauseRuns;
        } else if (job.fusedPause > 0) {
            --job.fusedPause;
        }
        if (k.wide(job, begin, end)) return;
        undoMix();
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
            mixed.sums[i] = mixed.table[i];
            const auto f = static_cast<float>(mixed.table[i]);
            mixed.table[i] = f >= 2147483648.0f ? INT32_MAX : static_cast<std::int32_t>(f);
        }
    double largest = 0;
    for (int i = 0; i < kTableSize; ++i) {
        mixed.wide[i] = mixed.table[i];
        largest = larger(largest, std::fabs(mixed.wide[i]));
    }
    mixed.largest = largest;
    for (int k = 0; k < kHarmonicBlocks; ++k)
        mixed.weights[k] = weights[k];
    mixed.bank = bank;
    mixed.rounded = rounded;
}

#undef ULVO_KERNEL_INLINE

} // namespace
} // namespace lanes
