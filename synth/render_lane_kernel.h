// The voice render for voices side by side, written once over a small set of vector operations
// that each instruction set supplies (`Ops`). Included only by the files that compile it for one
// instruction set; everything here is a template on `Ops`, so the copies never mix.
//
// Every step is the reference arithmetic lane by lane (see voice_render.h), with two rewrites that
// give the same bits within the ranges the caller checks before it hands a voice to the lanes:
// - phase: (phase - periods) + step in float equals the double sum rounded once, because the
//   phase and step are multiples of 2^-31 below 2^18, so the double sum is exact and the
//   subtraction of whole periods is exact in float;
// - the three filter products are finite, so capping them at 2^31 - 1 before the conversion
//   gives the saturation of roundToInt (the conversion itself saturates below).
#pragma once

#include <cstdint>

#include "synth/render_lanes.h"

namespace lanes {

template <class Ops, int Groups, bool SmoothZero, int Mode>
void renderLanes(LaneJob& job, std::int32_t begin, std::int32_t end) {
    using I = typename Ops::I;
    using F = typename Ops::F;
    using D = typename Ops::D;
    constexpr int W = Ops::kWidth;

    F phase[Groups], step[Groups], smoothed[Groups];
    I band[Groups], low[Groups];
    D gain[Groups];
    for (int q = 0; q < Groups; ++q) {
        phase[q] = Ops::loadF(job.phase + q * W);
        step[q] = Ops::loadF(job.phaseStep + q * W);
        smoothed[q] = Ops::loadF(job.smoothed + q * W);
        band[q] = Ops::loadI(job.bandState + q * W);
        low[q] = Ops::loadI(job.lowState + q * W);
        gain[q] = Ops::widen(Ops::loadF(job.voiceGain + q * W));
    }
    const std::int32_t* const table = job.oscillator;
    const D damping = Ops::setD(job.damping);
    const D smooth = Ops::setD(job.smooth);
    const D rest = Ops::setD(1.0 - static_cast<double>(job.smooth));
    const D intMax = Ops::setD(2147483647.0);
    const F floatTwo31 = Ops::setF(2147483648.0f);
    const I indexMask = Ops::setI(kTableSize - 1);
    const I periodMask = Ops::setI(~(kTableSize - 1));

    for (std::int32_t k = begin; k < end; ++k) {
        for (int q = 0; q < Groups; ++q) {
            const std::int32_t at = job.at(q, k, 0);

            // Oscillator: the mixed table at the rounded phase.
            const I p = Ops::roundF(phase[q]);
            const I osc = Ops::gather(table, Ops::andI(p, indexMask));

            // Phase: whole periods come off once the rounded phase reaches 4096 (p >= 0 here).
            phase[q] = Ops::addF(Ops::subF(phase[q], Ops::toF(Ops::andI(p, periodMask))), step[q]);

            // Smoothing; at 0 the state is the oscillator as a float.
            if constexpr (SmoothZero) {
                smoothed[q] = Ops::toF(osc);
            } else {
                smoothed[q] = Ops::narrow(Ops::addD(Ops::mulD(Ops::widen(smoothed[q]), smooth),
                                                    Ops::mulD(rest, Ops::fromI(osc))));
            }
            // Rounded; 2^31 and above saturate to INT32_MAX (the conversion gives INT32_MIN).
            const I x = Ops::xorI(Ops::roundF(smoothed[q]), Ops::geMask(smoothed[q], floatTwo31));

            // Filter.
            const D g = Ops::widen(Ops::loadF(job.cutoff + at));
            const I hp = Ops::subI(
                Ops::subI(x, Ops::roundD(Ops::minD(Ops::mulD(Ops::fromI(band[q]), damping), intMax))),
                low[q]);
            const I bp = Ops::addI(Ops::roundD(Ops::minD(Ops::mulD(Ops::fromI(hp), g), intMax)),
                                   band[q]);
            const I lp = Ops::addI(Ops::roundD(Ops::minD(Ops::mulD(Ops::fromI(bp), g), intMax)),
                                   low[q]);
            band[q] = bp;
            low[q] = lp;
            I y;
            if constexpr (Mode == 0) y = lp;
            else if constexpr (Mode == 1) y = bp;
            else if constexpr (Mode == 2) y = hp;
            else y = x;

            // Gain.
            const D e = Ops::widen(Ops::loadF(job.level + at));
            Ops::storeF(job.out + at, Ops::narrow(Ops::mulD(Ops::mulD(Ops::fromI(y), e), gain[q])));
        }
    }

    for (int q = 0; q < Groups; ++q) {
        Ops::storeF(job.phase + q * W, phase[q]);
        Ops::storeF(job.smoothed + q * W, smoothed[q]);
        Ops::storeI(job.bandState + q * W, band[q]);
        Ops::storeI(job.lowState + q * W, low[q]);
    }
}

using RunFn = void (*)(LaneJob&, std::int32_t, std::int32_t);

template <class Ops, int Groups, bool SmoothZero>
RunFn pickMode(std::int32_t mode) {
    switch (mode) {
    case 0: return &renderLanes<Ops, Groups, SmoothZero, 0>;
    case 1: return &renderLanes<Ops, Groups, SmoothZero, 1>;
    case 2: return &renderLanes<Ops, Groups, SmoothZero, 2>;
    default: return &renderLanes<Ops, Groups, SmoothZero, 3>;
    }
}

template <class Ops, int Groups>
RunFn pickSmooth(const LaneJob& job) {
    return job.smooth == 0.0f ? pickMode<Ops, Groups, true>(job.filterMode)
                              : pickMode<Ops, Groups, false>(job.filterMode);
}

// The instantiation for the job's group count, smoothing and filter mode.
template <class Ops>
void run(LaneJob& job, std::int32_t begin, std::int32_t end) {
    static_assert(Ops::kMaxGroups >= 1 && Ops::kMaxGroups <= 5);
    RunFn fn = nullptr;
    switch (job.groups) {
    case 1: fn = pickSmooth<Ops, 1>(job); break;
    case 2: fn = pickSmooth<Ops, 2>(job); break;
    case 3: fn = pickSmooth<Ops, (Ops::kMaxGroups >= 3 ? 3 : 1)>(job); break;
    case 4: fn = pickSmooth<Ops, (Ops::kMaxGroups >= 4 ? 4 : 1)>(job); break;
    case 5: fn = pickSmooth<Ops, (Ops::kMaxGroups >= 5 ? 5 : 1)>(job); break;
    default: return;
    }
    fn(job, begin, end);
}

// Table entry i: the sum over the seven blocks of bank entry i times the block's weight, wrapping.
template <class Ops>
void buildOscillator(MixedOscillator& mixed, const std::int32_t* bank,
                     const std::int32_t* weights) {
    auto* out = reinterpret_cast<std::uint32_t*>(mixed.table);
    const auto* in = reinterpret_cast<const std::uint32_t*>(bank);
    const auto w0 = static_cast<std::uint32_t>(weights[0]);
    for (int i = 0; i < kTableSize; ++i) out[i] = in[i] * w0;
    for (int k = 1; k < kHarmonicBlocks; ++k) {
        const auto w = static_cast<std::uint32_t>(weights[k]);
        const std::uint32_t* block = in + kTableSize * k;
        for (int i = 0; i < kTableSize; ++i) out[i] += block[i] * w;
    }
    for (int k = 0; k < kHarmonicBlocks; ++k) mixed.weights[k] = weights[k];
    mixed.bank = bank;
}

} // namespace lanes
