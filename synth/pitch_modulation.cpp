#include "synth/pitch_modulation.h"

#include <cmath>

namespace {

constexpr double kSemitone = 1.059463094359;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kLn2 = 0.6931471805599453;

// sin(2 pi phase / 2^32) by its Taylor series to x^11 after folding onto [-pi/2, pi/2]: within
// 6e-8 of the sine, and far cheaper than std::sin, at one call per grid point.
double sineOfPhase(std::uint32_t phase) {
    double t = static_cast<std::int32_t>(phase) * (1.0 / 4294967296.0); // -0.5 to 0.5 cycles
    if (t > 0.25) t = 0.5 - t;
    if (t < -0.25) t = -0.5 - t;
    const double x = kTwoPi * t, x2 = x * x;
    // Multiplications by the reciprocals: a chain of divisions would cost more than the rest.
    constexpr double c3 = 1.0 / 6, c5 = 1.0 / 20, c7 = 1.0 / 42, c9 = 1.0 / 72, c11 = 1.0 / 110;
    return x * (1 - x2 * c3 * (1 - x2 * c5 * (1 - x2 * c7 * (1 - x2 * c9 * (1 - x2 * c11)))));
}

// 2^x for |x| at most 1/12 (100 cents), by the series of e^y to y^6: within 5e-13.
double exp2Small(double x) {
    const double y = x * kLn2;
    constexpr double c2 = 1.0 / 2, c3 = 1.0 / 3, c4 = 1.0 / 4, c5 = 1.0 / 5, c6 = 1.0 / 6;
    return 1 + y * (1 + y * c2 * (1 + y * c3 * (1 + y * c4 * (1 + y * c5 * (1 + y * c6)))));
}

} // namespace

void PitchModulation::setBend(std::uint16_t amount, std::int32_t range) {
    bendAmount = amount & 0x3FFF;
    bendRange = range;
    std::int32_t x = bendAmount - 8192;
    // The last coarse step stretches to the top, as the classic bend's 127 counts as 128; the
    // steps below stay where the classic bend puts them.
    if (x >= 8064)
        x = 8192;
    else if (x > 7936)
        x = 7936 + 2 * (x - 7936);
    bend = static_cast<float>(std::pow(kSemitone, x / 8192.0 * range));
}

bool PitchModulation::changeRange(std::int32_t range) {
    const float before = bend;
    setBend(bendAmount, range);
    return bend != before;
}

bool PitchModulation::updateVibrato(float depthCents) {
    const std::uint8_t amount = wheel > pressure ? wheel : pressure;
    const double cents = static_cast<double>(depthCents) * amount * (1.0 / 127.0);
    const double next = cents > 0.0 ? exp2Small(cents * (1.0 / 1200.0) * sineOfPhase(phase)) : 1.0;
    const bool changed = next != vibrato;
    vibrato = next;
    return changed;
}

std::uint32_t PitchModulation::phasePerPeriod(double rateHz, double framesPerSecond) {
    const double cycles = rateHz * kVibratoPeriod / framesPerSecond;
    if (!(cycles >= 0.0 && cycles < 1.0)) return 0; // no vibrato at or above the grid's rate
    return static_cast<std::uint32_t>(std::llround(cycles * 4294967296.0) & 0xFFFFFFFFll);
}
