#include "synth/clean_tables.h"

#include <bit>
#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "core/fft.h"
#include "core/round_half_even.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double gridStep(std::int32_t entry) {
    return std::exp2(static_cast<double>(entry) / kCleanStepsPerOctave);
}

// Worked out before the audio starts, so that choosing a band is a few comparisons.
const std::array<double, kCleanGridCount> kGridSteps = [] {
    std::array<double, kCleanGridCount> steps{};
    for (std::int32_t j = 0; j < kCleanGridCount; ++j)
        steps[j] = gridStep(j);
    return steps;
}();

// The sine coefficient of harmonic h of each bank's wave, as the Fourier series of the classic
// tables: the saw rising from -1, the square from -1 to 1 at half the period, the triangle
// rising from 0.
double harmonicAmplitude(int bank, int h) {
    const bool odd = (h & 1) != 0;
    switch (bank) {
    case SineBankIndex:
        return h == 1 ? 1.0 : 0.0;
    case SawBankIndex:
        return -2.0 / (kPi * h);
    case SquareBankIndex:
        return odd ? -4.0 / (kPi * h) : 0.0;
    default:
        return odd ? ((h & 3) == 1 ? 1.0 : -1.0) * 8.0 / (kPi * kPi * h * h) : 0.0;
    }
}

void buildWave(std::array<std::int32_t, kTableSize>& wave, int bank, double step) {
    std::vector<std::complex<double>> x(kTableSize);
    for (int h = 1; h < kTableSize / 2; ++h)
        x[h] = harmonicAmplitude(bank, h) * cleanHarmonicShare(h * step / kTableSize);
    fftInPlace(x, true);
    for (int i = 0; i < kTableSize; ++i)
        wave[i] = roundToInt(x[i].imag() * kBankFullScale);
}

} // namespace

double cleanHarmonicShare(double cycles) {
    constexpr double kFull = 0.4, kNone = 0.5;
    if (!(cycles < kNone)) return 0.0;
    if (cycles <= kFull) return 1.0;
    const double c = std::cos(0.5 * kPi * (cycles - kFull) / (kNone - kFull));
    return c * c;
}

const CleanTables& cleanTables() {
    static const std::unique_ptr<CleanTables> tables = [] {
        auto built = std::make_unique<CleanTables>();
        for (int bank = 0; bank < kBankCount; ++bank)
            for (std::int32_t j = 0; j < kCleanGridCount; ++j)
                buildWave(built->waves[bank][j], bank, gridStep(j));
        return built;
    }();
    return *tables;
}

// A step from 2^e up to 2^(e + 1) has its band from entry 6e to 6(e + 1); the octave comes
// from the float's exponent, the entry within it from at most six comparisons.
std::int32_t cleanBand(float step) {
    if (std::isnan(step) || step >= 2048.0f) return kCleanSilentEntry;
    if (step <= 1.0f) return 0;
    const auto octave =
        static_cast<std::int32_t>((std::bit_cast<std::uint32_t>(step) >> 23) - 127u);
    std::int32_t band = octave * kCleanStepsPerOctave;
    const auto wanted = static_cast<double>(step);
    while (kGridSteps[band] < wanted)
        ++band;
    return band;
}

std::int32_t nextCleanBand(std::int32_t current, float step) {
    // Most moves stay inside the band's reach: two comparisons.
    const auto wanted = static_cast<double>(step);
    if (current >= 2 && current < kCleanSilentEntry && wanted <= kGridSteps[current] &&
        wanted > kGridSteps[current - 2])
        return current;
    const std::int32_t band = cleanBand(step);
    return band > current || band < current - 1 ? band : current;
}
