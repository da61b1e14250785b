#include "synth/output_gain.h"

#include <algorithm>

#include "core/round_half_even.h"

void OutputGain::retarget(float volumeGain, double sampleRate) {
    volumeFollowed = volumeGain;
    controllersMoved = false;
    const double volume = channelVolume / 127.0, expressed = expression / 127.0;
    const auto next = static_cast<float>(volumeGain * (volume * volume) * (expressed * expressed));
    if (next == target) return;
    target = next;
    glideLeft = std::max(roundToInt(kGlideSeconds * sampleRate), 1);
    step = (target - gain) / static_cast<float>(glideLeft);
}

void OutputGain::nextGains(float* out, std::int32_t frames) {
    for (std::int32_t k = 0; k < frames; ++k) {
        out[k] = gain;
        if (glideLeft > 0) {
            gain += step;
            // The glide ends on the target itself, whatever the rounding on the way.
            if (--glideLeft == 0) gain = target;
        }
    }
}

void OutputGain::scale(float* left, float* right, std::int32_t frames) {
    const bool both = left != right;
    if (glideLeft == 0) {
        for (std::int32_t k = 0; k < frames; ++k)
            left[k] *= gain;
        if (both)
            for (std::int32_t k = 0; k < frames; ++k)
                right[k] *= gain;
        return;
    }
    float gains[kGlideBlock];
    for (std::int32_t at = 0; at < frames; at += kGlideBlock) {
        const std::int32_t n = std::min(kGlideBlock, frames - at);
        nextGains(gains, n);
        for (std::int32_t k = 0; k < n; ++k)
            left[at + k] *= gains[k];
        if (both)
            for (std::int32_t k = 0; k < n; ++k)
                right[at + k] *= gains[k];
    }
}

void OutputGain::addScaled(const float* fromLeft, const float* fromRight, float* left, float* right,
                           std::int32_t frames) {
    float gains[kGlideBlock];
    for (std::int32_t at = 0; at < frames; at += kGlideBlock) {
        const std::int32_t n = std::min(kGlideBlock, frames - at);
        nextGains(gains, n);
        for (std::int32_t k = 0; k < n; ++k)
            left[at + k] += fromLeft[at + k] * gains[k];
        for (std::int32_t k = 0; k < n; ++k)
            right[at + k] += fromRight[at + k] * gains[k];
    }
}
