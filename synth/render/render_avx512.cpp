// The lane kernels with AVX-512: eight voices per group with their doubles in one register.
// Compiled for AVX-512 function by function and used only when the CPU has it.
#include "synth/render/render_lanes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstdint>

#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 takes the deliberately undefined pass-through operand of the AVX-512 conversions for an
// uninitialised variable.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,avx512f")
#endif

#include "synth/render/render_lane_kernel.h"

namespace {

struct Avx512Ops {
    static constexpr int kWidth = 8;
    static constexpr int kGroupCounts[] = {2, 3}; // used from 13 voices on
    using I = __m256i;
    using F = __m256;
    using D = __m512d;

    static I loadI(const std::int32_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const I*>(p));
    }
    static void storeI(std::int32_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
    static F loadF(const float* p) { return _mm256_loadu_ps(p); }
    static void storeF(float* p, F v) { _mm256_storeu_ps(p, v); }
    static I setI(std::int32_t v) { return _mm256_set1_epi32(v); }
    static F setF(float v) { return _mm256_set1_ps(v); }
    static D loadD(const double* p) { return _mm512_loadu_pd(p); }
    static D setD(double v) { return _mm512_set1_pd(v); }

    static I addI(I a, I b) { return _mm256_add_epi32(a, b); }
    static I subI(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I andI(I a, I b) { return _mm256_and_si256(a, b); }
    static I xorI(I a, I b) { return _mm256_xor_si256(a, b); }
    static F addF(F a, F b) { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static I truncF(F v) { return _mm256_cvttps_epi32(v); }
    static F bitsF(I v) { return _mm256_castsi256_ps(v); }
    static F toF(I v) { return _mm256_cvtepi32_ps(v); }
    static I roundF(F v) { return _mm256_cvtps_epi32(v); }
    static I geMask(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GE_OQ)); }

    static D fromI(I v) { return _mm512_cvtepi32_pd(v); }
    static D widen(F v) { return _mm512_cvtps_pd(v); }
    static I roundD(D v) { return _mm512_cvtpd_epi32(v); }
    static F narrow(D v) { return _mm512_cvtpd_ps(v); }
    static void storeD(double* p, D v) { _mm512_storeu_pd(p, v); }
    static D subD(D a, D b) { return _mm512_sub_pd(a, b); }
    static D maxD(D a, D b) { return _mm512_max_pd(a, b); }
    static D andNotD(D a, D b) {
        return _mm512_castsi512_pd(
            _mm512_andnot_si512(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
    }
    static D mulD(D a, D b) { return _mm512_mul_pd(a, b); }
    static D addD(D a, D b) { return _mm512_add_pd(a, b); }
    static D minD(D a, D b) { return _mm512_min_pd(a, b); }

    // Table entries at the lanes' indices, four at a time (see lookupFour).
    __attribute__((always_inline)) static I lookup(const std::int32_t* table, I index) {
        return _mm256_set_m128i(lanes::lookupFour(table, _mm256_extracti128_si256(index, 1)),
                                lanes::lookupFour(table, _mm256_castsi256_si128(index)));
    }
    // Each lane's entry and the next, from 16 bytes read at the entry (the Clean tables are
    // padded for it), two lanes to a register: the lanes are put in order with four shuffles
    // instead of ten, on the port the filter's wide operations also need. A gather costs more.
    __attribute__((always_inline)) static void lookupPair(const std::int32_t* table, I index, I& at,
                                                          I& next) {
#if defined(__x86_64__) || defined(_M_X64)
        const __m128i low = _mm256_castsi256_si128(index),
                      high = _mm256_extracti128_si256(index, 1);
        const auto q0 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(low));
        const auto q1 = static_cast<std::uint64_t>(_mm_extract_epi64(low, 1));
        const auto q2 = static_cast<std::uint64_t>(_mm_cvtsi128_si64(high));
        const auto q3 = static_cast<std::uint64_t>(_mm_extract_epi64(high, 1));
        const std::uint64_t i[kWidth] = {q0 & 0xFFFFFFFFu, q0 >> 32, q1 & 0xFFFFFFFFu, q1 >> 32,
                                         q2 & 0xFFFFFFFFu, q2 >> 32, q3 & 0xFFFFFFFFu, q3 >> 32};
#else
        alignas(32) std::uint32_t i[kWidth];
        _mm256_store_si256(reinterpret_cast<I*>(i), index);
#endif
        const auto entries = [table](std::uint64_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + at));
        };
        // Lanes l and l + 4 in one register each: (a b . . | a b . .).
        const auto rows = [&](int l) {
            return _mm256_inserti128_si256(_mm256_castsi128_si256(entries(i[l])), entries(i[l + 4]),
                                           1);
        };
        const I u01 = _mm256_unpacklo_epi32(rows(0), rows(1));
        const I u23 = _mm256_unpacklo_epi32(rows(2), rows(3));
        at = _mm256_unpacklo_epi64(u01, u23);
        next = _mm256_unpackhi_epi64(u01, u23);
    }
};

} // namespace

static std::int32_t paddedAvx512(std::int32_t groups) {
    return lanes::paddedGroups<Avx512Ops>(groups);
}

const LaneKernels kAvx512Kernels = {Avx512Ops::kWidth, &paddedAvx512, &lanes::run<Avx512Ops>,
                                    &lanes::buildOscillator<Avx512Ops>};

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else
const LaneKernels kAvx512Kernels = {8, nullptr, nullptr, nullptr};
#endif
