// The Clean oscillators measured as a listener would: a held note's spectrum has nothing away
// from its harmonic series, a bend that carries a partial past half the sample rate fades it
// out without a click, and Classic stays what it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "core/fft.h"
#include "synth/clean_tables.h"
#include "tests/synth/synth_fixture.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kSpectrumFrames = 65536;

// Energy away from the harmonic series of `cycles` (the fundamental, in cycles per sample), as
// dB of the whole: a four-term Blackman-Harris window (side lobes below -92 dB), every bin
// within six of a harmonic or of DC counted as the series.
double offSeriesDb(const std::vector<float>& signal, double cycles) {
    const std::size_t n = signal.size();
    std::vector<std::complex<double>> x(n);
    constexpr double kPi = 3.14159265358979323846;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2.0 * kPi * static_cast<double>(i) / static_cast<double>(n);
        const double window =
            0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        x[i] = signal[i] * window;
    }
    fftInPlace(x, false);
    double total = 0, series = 0;
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double power = std::norm(x[k]);
        total += power;
        const double harmonic = std::round(static_cast<double>(k) / (cycles * n));
        if (std::fabs(static_cast<double>(k) - harmonic * cycles * n) <= 6.0) series += power;
    }
    return 10.0 * std::log10(std::max(total - series, 1e-300) / total);
}

// A held note, every drawbar out, the filter off and no smoothing; steady from the start.
struct HeldNote {
    PlayedInstrument s;
    HeldNote(float wave, OscillatorKind kind) {
        s.instrument.setSampleRate(static_cast<float>(kRate));
        for (int k = Drawbar2; k <= Drawbar3; ++k)
            s.instrument.setParameter(k, 1.0f);
        s.instrument.setParameter(Wave, wave);
        s.instrument.setParameter(Type, 1.3f); // mode 3: the oscillator unfiltered
        s.instrument.setParameter(Smooth, 0.0f);
        s.instrument.setParameter(Attack, 0.0f);
        s.instrument.setParameter(Decay, 0.0f);
        s.instrument.setParameter(Sustain, 1.0f);
        s.instrument.setParameter(Oscillators, static_cast<float>(kind));
    }
    // The note's spectrum figure, after its first moments.
    double offSeries(int note) {
        s.noteOn(note, 127);
        s.render(1024);
        const std::vector<float> out = s.render(kSpectrumFrames);
        const float step = s.voice(s.engine().lastVoiceIndex()).phaseStep;
        return offSeriesDb(out, step / 4096.0);
    }
};

TEST(CleanOscillators, HeldHighNotesKeepToTheirHarmonicSeries) {
    const float sine = 0.0f, saw = 1.0f / 3.0f, square = 2.0f / 3.0f;
    for (float wave : {sine, saw, square})
        for (int note : {84, 96, 103}) { // C6, C7, G7
            const double clean = HeldNote(wave, CleanOscillators).offSeries(note);
            EXPECT_LE(clean, -60.0) << "wave " << wave << ", note " << note;
        }
    // The figure tells the two apart: at C7 the classic tables fold the drawbars down.
    EXPECT_GT(HeldNote(saw, ClassicOscillators).offSeries(96), -20.0);
    EXPECT_GT(HeldNote(sine, ClassicOscillators).offSeries(96), -40.0);
}

TEST(CleanOscillators, LowNotesReadTheTablesWithoutSpurs) {
    // At C2 the saw holds hundreds of harmonics: the interpolated read keeps its spurs down.
    const float saw = 1.0f / 3.0f;
    EXPECT_LE(HeldNote(saw, CleanOscillators).offSeries(36), -60.0);
    EXPECT_GT(HeldNote(saw, ClassicOscillators).offSeries(36), -60.0);
}

TEST(CleanOscillators, APartialBentPastHalfTheRateFadesOutWithoutAStep) {
    // A5 on the sine bank with the fundamental and the 16' drawbar: the latter at 14 kHz, bent up
    // an octave to 28 kHz, past half the rate.
    PlayedInstrument s;
    s.instrument.setSampleRate(static_cast<float>(kRate));
    for (int k = Drawbar2; k <= Drawbar3; ++k)
        s.instrument.setParameter(k, k == Drawbar16 ? 1.0f : 0.0f);
    s.instrument.setParameter(Type, 1.3f);
    s.instrument.setParameter(Attack, 0.0f);
    s.instrument.setParameter(Decay, 0.0f);
    s.instrument.setParameter(Sustain, 1.0f);
    s.instrument.setParameter(BendRange, 12.0f);
    s.instrument.setParameter(Oscillators, CleanOscillators);
    s.noteOn(81, 127);
    s.render(1024);
    // Two partials of the same level a: the whole signal's mean square is a^2.
    const std::vector<float> before = s.render(4096);
    double power = 0;
    for (float v : before)
        power += static_cast<double>(v) * v;
    const double level = std::sqrt(power / static_cast<double>(before.size()));
    ASSERT_GT(level, 0.0);
    const Voice& voice = s.voice(s.engine().lastVoiceIndex());

    // Up the wheel in 64 steps of 32 frames. A sinusoid of level a at x cycles per sample moves
    // at most 2 a sin(pi x) from one sample to the next: at each pitch the two partials together
    // move no further than that (the upper one at most at half the rate), table changes included.
    constexpr double kPi = 3.14159265358979323846;
    float last = before.back();
    for (int step = 1; step <= 64; ++step) {
        s.instrument.bendWheel(static_cast<std::uint16_t>(8192 + step * 8191 / 64));
        const std::vector<float> out = s.render(32);
        const double x = s.voice(s.engine().lastVoiceIndex()).phaseStep / 4096.0;
        const double own =
            2.0 * level * (std::sin(kPi * x) + std::sin(kPi * std::min(16.0 * x, 0.5))) * 1.001;
        for (float v : out) {
            EXPECT_LE(std::fabs(static_cast<double>(v) - last), own) << "wheel step " << step;
            last = v;
        }
    }
    const std::vector<float> after = s.render(kSpectrumFrames);
    ASSERT_GT(16.0 * voice.phaseStep / 4096.0, 0.5) << "the partial is past half the rate";
    EXPECT_LE(offSeriesDb(after, voice.phaseStep / 4096.0), -60.0);
}

TEST(CleanOscillators, EveryBandsPartialsStayBelowHalfTheRate) {
    // For any step up to the band's own, no block's harmonic with a share reaches 0.5 cycles.
    for (float step : {0.3f, 1.0f, 1.01f, 5.9f, 97.0f, 194.5f, 700.0f, 2047.0f}) {
        const std::int32_t band = cleanBand(step);
        ASSERT_GE(band, 0);
        ASSERT_LE(band, kCleanSilentEntry);
        if (band > 0) {
            EXPECT_GE(std::exp2(band / 6.0), step);
            EXPECT_LT(std::exp2((band - 1) / 6.0), step);
        }
        for (int k = 0; k < kHarmonicBlocks; ++k) {
            if (cleanBlockEntry(band, k) == kCleanSilentEntry) continue; // silent anyway
            const double entryStep = std::exp2(cleanBlockEntry(band, k) / 6.0);
            EXPECT_GE(entryStep, kBlockMultiplier[k] * std::max(step, 1.0f)) << step << " " << k;
        }
    }
    // At each grid step and the floats either side of it: the first entry at or above.
    for (std::int32_t j = 1; j < kCleanSilentEntry; ++j) {
        const double grid = std::exp2(j / 6.0);
        const auto at = static_cast<float>(grid);
        for (float step : {std::nextafter(at, 0.0f), at, std::nextafter(at, 4096.0f)}) {
            std::int32_t first = 0;
            while (std::exp2(first / 6.0) < step)
                ++first;
            EXPECT_EQ(cleanBand(step), first) << "step " << step;
        }
    }
    // A voice's band follows the step up at once and down by two bands or more.
    for (std::int32_t current = -1; current <= kCleanSilentEntry; ++current)
        for (std::int32_t j = 0; j <= kCleanSilentEntry; ++j)
            for (float scale : {0.999f, 1.0f, 1.001f}) {
                const float step = static_cast<float>(std::exp2(j / 6.0)) * scale;
                const std::int32_t band = cleanBand(step);
                EXPECT_EQ(nextCleanBand(current, step),
                          band > current || band < current - 1 ? band : current)
                    << current << " " << step;
            }
    EXPECT_EQ(cleanBand(2048.0f), kCleanSilentEntry);
    EXPECT_EQ(cleanBand(std::nextafter(2048.0f, 0.0f)), kCleanSilentEntry);
    EXPECT_EQ(cleanBand(std::nanf("")), kCleanSilentEntry);
    EXPECT_EQ(cleanHarmonicShare(0.5), 0.0);
    EXPECT_EQ(cleanHarmonicShare(0.4), 1.0);
    // The silent entry is silent, and the lowest holds the whole saw.
    const CleanTables& t = cleanTables();
    for (int i = 0; i < kTableSize; ++i)
        ASSERT_EQ(t.waves[SawBankIndex][kCleanSilentEntry][i], 0);
    EXPECT_NEAR(t.waves[SawBankIndex][0][1024], -kBankFullScale / 2, 200);
}

} // namespace
