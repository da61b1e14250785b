#include "tools/render/output_gain.h"

#include <cmath>

OutputGain::OutputGain(double decibels, std::int32_t channels, std::int32_t maxFrames)
    : factor(static_cast<float>(std::pow(10.0, decibels / 20.0))), unity(decibels == 0.0) {
    if (unity) return;
    scaled.assign(static_cast<std::size_t>(channels),
                  std::vector<float>(static_cast<std::size_t>(maxFrames)));
    for (const std::vector<float>& channel : scaled)
        pointers.push_back(channel.data());
}

const float* const* OutputGain::apply(const float* const* channels, std::int32_t frames) {
    if (unity) return channels;
    for (std::size_t c = 0; c < scaled.size(); ++c)
        for (std::int32_t i = 0; i < frames; ++i)
            scaled[c][static_cast<std::size_t>(i)] = channels[c][i] * factor;
    return pointers.data();
}
