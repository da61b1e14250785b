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

  private:
    std::vector<double> peak;       // largest magnitude
    std::vector<double> sumSquares; // of every sample
    std::int64_t frames = 0;
};
