// --gain: the render's output scaled by a number of decibels before it is measured and written.
#pragma once

#include <cstdint>
#include <vector>

class OutputGain {
  public:
    // For blocks of at most `maxFrames` frames of `channels` channels.
    OutputGain(double decibels, std::int32_t channels, std::int32_t maxFrames);

    // The block scaled; `channels` itself when the gain is 0 dB, so that the samples stay
    // exactly as the instrument gave them. Valid until the next call.
    const float* const* apply(const float* const* channels, std::int32_t frames);

  private:
    float factor;
    bool unity;
    std::vector<std::vector<float>> scaled;
    std::vector<const float*> pointers;
};
