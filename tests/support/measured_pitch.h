// The pitch of a steady tone, for tests that check tunings: its frequency from its rising zero
// crossings, each placed between its two samples by linear interpolation.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

// Between frames `from` and `to` of `sound` at `rate` frames a second; 0 without two crossings.
inline double measuredHz(const std::vector<float>& sound, double rate, std::size_t from,
                         std::size_t to) {
    std::vector<double> crossings;
    for (std::size_t i = from; i + 1 < to && i + 1 < sound.size(); ++i)
        if (sound[i] < 0.0f && sound[i + 1] >= 0.0f)
            crossings.push_back(static_cast<double>(i) + sound[i] / (sound[i] - sound[i + 1]));
    if (crossings.size() < 2) return 0.0;
    return static_cast<double>(crossings.size() - 1) * rate /
           (crossings.back() - crossings.front());
}

inline double centsBetween(double hz, double target) {
    return 1200.0 * std::log2(hz / target);
}
