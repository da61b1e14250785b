// The one conversion from a real value to an integer used by the engine, the editor and the
// boundary: nearest integer, ties to even, saturating at the int32 range, NaN to 0.
#pragma once

#include <cmath>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || defined(__x86_64__)
#include <emmintrin.h>
#define ULVO_HAVE_SSE2_CVT 1
#endif

inline std::int32_t roundToInt(double x) {
    // The comparisons are false for NaN, which therefore lands on 0.
    if (!(x > -2147483648.5)) return x < 0 ? INT32_MIN : 0;
    if (!(x < 2147483647.5)) return INT32_MAX;
#ifdef ULVO_HAVE_SSE2_CVT
    // cvtsd2si rounds by MXCSR, whose default mode is to nearest, ties to even.
    return _mm_cvtsd_si32(_mm_set_sd(x));
#else
    return static_cast<std::int32_t>(std::nearbyint(x));
#endif
}
