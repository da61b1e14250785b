// Peak and RMS level of every channel of a render, in dBFS (0 dBFS: a sample of magnitude 1).
#pragma once

#include <cstdint>
#include <vector>

class LevelMeter {
  public:
    explicit LevelMeter(std::int32_t channels);

    void add(const float* const* channels, std::int32_t frames);

    // -infinity for a channel that stayed silent.
    double peakDb(std::int32_t channel) const;
    double rmsDb(std::int32_t channel) const;
    // Samples of every channel beyond full scale, which a 16- or 24-bit file clips.
    std::int64_t clippedSamples() const { return clipped; }
    // The highest peak of all channels.
    double loudestPeakDb() const;

  private:
    std::vector<double> peak;       // largest magnitude
    std::vector<double> sumSquares; // of every sample
    std::int64_t frames = 0;
    std::int64_t clipped = 0;
};
