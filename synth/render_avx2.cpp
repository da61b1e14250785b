// The lane kernels with AVX2: four voices per group with their doubles in one register, and the
// oscillator read with one gather. Compiled for AVX2 function by function (the rest of the
// library stays on the baseline) and used only when the CPU has it.
#include "synth/render_lanes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstdint>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "synth/render_lane_kernel.h"

namespace {

struct Avx2Ops {
    static constexpr int kWidth = 4;
    static constexpr int kMaxGroups = 5;
    using I = __m128i;
    using F = __m128;
    using D = __m256d;

    static I loadI(const std::int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void storeI(std::int32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static void storeF(float* p, F v) { _mm_storeu_ps(p, v); }
    static I setI(std::int32_t v) { return _mm_set1_epi32(v); }
    static F setF(float v) { return _mm_set1_ps(v); }
    static D setD(double v) { return _mm256_set1_pd(v); }

    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm_and_si128(a, b); }
    static I xorI(I a, I b) { return _mm_xor_si128(a, b); }
    static F addF(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F toF(I v) { return _mm_cvtepi32_ps(v); }
    static I roundF(F v) { return _mm_cvtps_epi32(v); }
    static I geMask(F a, F b) { return _mm_castps_si128(_mm_cmp_ps(a, b, _CMP_GE_OQ)); }

    static D fromI(I v) { return _mm256_cvtepi32_pd(v); }
    static D widen(F v) { return _mm256_cvtps_pd(v); }
    static I roundD(D v) { return _mm256_cvtpd_epi32(v); }
    static F narrow(D v) { return _mm256_cvtpd_ps(v); }
    static D mulD(D a, D b) { return _mm256_mul_pd(a, b); }
    static D addD(D a, D b) { return _mm256_add_pd(a, b); }
    static D minD(D a, D b) { return _mm256_min_pd(a, b); }

    static I gather(const std::int32_t* table, I index) {
        return _mm_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4);
    }
};

} // namespace

const LaneKernels kAvx2Kernels = {Avx2Ops::kWidth, &lanes::run<Avx2Ops>,
                                  &lanes::buildOscillator<Avx2Ops>};

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else
const LaneKernels kAvx2Kernels = {4, nullptr, nullptr};
#endif
