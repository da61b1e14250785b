// An in-place radix-2 FFT on doubles: for building tables from their harmonics and for measuring
// spectra in tests. Not for the audio thread.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <utility>
#include <vector>

// Transforms `x` (its size a power of two): X[k] = sum x[n] e^(-2 pi i k n / N), or with
// `inverse` the sum with e^(+2 pi i k n / N), unscaled.
inline void fftInPlace(std::vector<std::complex<double>>& x, bool inverse) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    // Each twiddle from its angle directly: no error piles up along a row.
    const double sign = inverse ? 1.0 : -1.0;
    std::vector<std::complex<double>> twiddle(n / 2);
    for (std::size_t k = 0; k < n / 2; ++k)
        twiddle[k] = std::polar(1.0, sign * 2.0 * 3.14159265358979323846 * static_cast<double>(k) /
                                         static_cast<double>(n));
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::size_t stride = n / length;
        for (std::size_t start = 0; start < n; start += length)
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> a = x[start + k],
                                           b = x[start + k + length / 2] * twiddle[k * stride];
                x[start + k] = a + b;
                x[start + k + length / 2] = a - b;
            }
    }
}
