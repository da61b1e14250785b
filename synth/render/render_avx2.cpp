// The lane kernels with AVX2 and FMA: four voices per group with their doubles in one register.
// Compiled for AVX2 and FMA function by function (the rest of the library stays on the baseline)
// and used only when the CPU has both.
#include "synth/render/render_lanes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstdint>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

#include "synth/render/render_lane_kernel.h"

namespace {

struct Avx2Ops {
    static constexpr int kWidth = 4;
    static constexpr int kGroupCounts[] = {1, 2, 3, 4, 5};
    using I = __m128i;
    using F = __m128;
    using D = __m256d;

    static I loadI(const std::int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void storeI(std::int32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static void storeF(float* p, F v) { _mm_storeu_ps(p, v); }
    static I setI(std::int32_t v) { return _mm_set1_epi32(v); }
    static F setF(float v) { return _mm_set1_ps(v); }
    static D loadD(const double* p) { return _mm256_loadu_pd(p); }
    static D setD(double v) { return _mm256_set1_pd(v); }

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
    static I geMask(F a, F b) { return _mm_castps_si128(_mm_cmp_ps(a, b, _CMP_GE_OQ)); }

    static D fromI(I v) { return _mm256_cvtepi32_pd(v); }
    static D widen(F v) { return _mm256_cvtps_pd(v); }
    static I roundD(D v) { return _mm256_cvtpd_epi32(v); }
    static F narrow(D v) { return _mm256_cvtpd_ps(v); }
    static void storeD(double* p, D v) { _mm256_storeu_pd(p, v); }
    static D subD(D a, D b) { return _mm256_sub_pd(a, b); }
    static D maxD(D a, D b) { return _mm256_max_pd(a, b); }
    static D andNotD(D a, D b) { return _mm256_andnot_pd(a, b); }
    static D mulD(D a, D b) { return _mm256_mul_pd(a, b); }
    static D addD(D a, D b) { return _mm256_add_pd(a, b); }
    static D minD(D a, D b) { return _mm256_min_pd(a, b); }
    // a * b + c rounded once; only where the kernels call it by name (contraction is off).
    static D fusedMulAdd(D a, D b, D c) { return _mm256_fmadd_pd(a, b, c); }
    // Nearest by the current rounding mode, as the conversions round.
    static D roundNearest(D v) { return _mm256_round_pd(v, _MM_FROUND_CUR_DIRECTION); }

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
        const __m128d a =
            _mm_loadh_pd(_mm_load_sd(table + (low & 0xFFFFFFFFu)), table + (low >> 32));
        const __m128d b =
            _mm_loadh_pd(_mm_load_sd(table + (high & 0xFFFFFFFFu)), table + (high >> 32));
#else
        const __m128d a = _mm_loadh_pd(_mm_load_sd(table + _mm_cvtsi128_si32(index)),
                                       table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1)));
        const __m128d b =
            _mm_loadh_pd(_mm_load_sd(table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 2))),
                         table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 3)));
#endif
        return _mm256_set_m128d(b, a);
    }
};

} // namespace

static std::int32_t paddedAvx2(std::int32_t groups) {
    return lanes::paddedGroups<Avx2Ops>(groups);
}

const LaneKernels kAvx2Kernels = {Avx2Ops::kWidth, &paddedAvx2, &lanes::run<Avx2Ops>,
                                  &lanes::buildOscillator<Avx2Ops>};

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else
const LaneKernels kAvx2Kernels = {4, nullptr, nullptr, nullptr};
#endif
