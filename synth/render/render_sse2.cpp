// The lane kernels on the SSE2 baseline: four voices per group, doubles two at a time.
#include "synth/render/render_lanes.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>

#include "synth/render/render_lane_kernel.h"

namespace {

struct Sse2Ops {
    static constexpr int kWidth = 4;
    static constexpr int kGroupCounts[] = {1, 2, 3, 4, 5};
    using I = __m128i;
    using F = __m128;
    struct D {
        __m128d lo, hi;
    };

    static I loadI(const std::int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void storeI(std::int32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static void storeF(float* p, F v) { _mm_storeu_ps(p, v); }
    static I setI(std::int32_t v) { return _mm_set1_epi32(v); }
    static F setF(float v) { return _mm_set1_ps(v); }
    static D loadD(const double* p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
    static D setD(double v) { return {_mm_set1_pd(v), _mm_set1_pd(v)}; }

    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm_and_si128(a, b); }
    static I xorI(I a, I b) { return _mm_xor_si128(a, b); }
    static F addF(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
    static I truncF(F v) { return _mm_cvttps_epi32(v); }
    static F bitsF(I v) { return _mm_castsi128_ps(v); }
    static F toF(I v) { return _mm_cvtepi32_ps(v); }
    static I roundF(F v) { return _mm_cvtps_epi32(v); }
    static I geMask(F a, F b) { return _mm_castps_si128(_mm_cmpge_ps(a, b)); }

    static D fromI(I v) { return {_mm_cvtepi32_pd(v), _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v))}; }
    static D widen(F v) { return {_mm_cvtps_pd(v), _mm_cvtps_pd(_mm_movehl_ps(v, v))}; }
    static I roundD(D v) {
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(v.lo), _mm_cvtpd_epi32(v.hi));
    }
    static F narrow(D v) { return _mm_movelh_ps(_mm_cvtpd_ps(v.lo), _mm_cvtpd_ps(v.hi)); }
    static void storeD(double* p, D v) {
        _mm_storeu_pd(p, v.lo);
        _mm_storeu_pd(p + 2, v.hi);
    }
    static D subD(D a, D b) { return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)}; }
    static D maxD(D a, D b) { return {_mm_max_pd(a.lo, b.lo), _mm_max_pd(a.hi, b.hi)}; }
    static D andNotD(D a, D b) { return {_mm_andnot_pd(a.lo, b.lo), _mm_andnot_pd(a.hi, b.hi)}; }
    static D mulD(D a, D b) { return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)}; }
    static D addD(D a, D b) { return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)}; }
    static D minD(D a, D b) { return {_mm_min_pd(a.lo, b.lo), _mm_min_pd(a.hi, b.hi)}; }

    __attribute__((always_inline)) static I lookup(const std::int32_t* table, I index) {
        return lanes::lookupFour(table, index);
    }
    __attribute__((always_inline)) static void lookupPair(const std::int32_t* table, I index, I& at,
                                                          I& next) {
        lanes::lookupPairFour(table, index, at, next);
    }

    // The same entries from the table of doubles.
    __attribute__((always_inline)) static D lookupWide(const double* table, I index) {
#if defined(__x86_64__) || defined(_M_X64)
        const auto low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(index));
        const auto high =
            static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(index, index)));
        return {_mm_loadh_pd(_mm_load_sd(table + (low & 0xFFFFFFFFu)), table + (low >> 32)),
                _mm_loadh_pd(_mm_load_sd(table + (high & 0xFFFFFFFFu)), table + (high >> 32))};
#else
        return {_mm_loadh_pd(_mm_load_sd(table + _mm_cvtsi128_si32(index)),
                             table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1))),
                _mm_loadh_pd(_mm_load_sd(table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2))),
                             table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3)))};
#endif
    }
};

} // namespace

static std::int32_t paddedSse2(std::int32_t groups) {
    return lanes::paddedGroups<Sse2Ops>(groups);
}

const LaneKernels kSse2Kernels = {Sse2Ops::kWidth, &paddedSse2, &lanes::run<Sse2Ops>,
                                  &lanes::buildOscillator<Sse2Ops>};

#else
const LaneKernels kSse2Kernels = {4, nullptr, nullptr, nullptr};
#endif
