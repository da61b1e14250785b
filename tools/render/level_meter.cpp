#include "tools/render/level_meter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
double toDb(double magnitude) {
    return magnitude > 0.0 ? 20.0 * std::log10(magnitude)
                           : -std::numeric_limits<double>::infinity();
}
} // namespace

LevelMeter::LevelMeter(std::int32_t channels) : peak(channels), sumSquares(channels) {}

void LevelMeter::add(const float* const* channels, std::int32_t count) {
    for (std::size_t c = 0; c < peak.size(); ++c) {
        double top = peak[c];
        double sum = 0.0;
        std::int64_t over = 0;
        for (std::int32_t i = 0; i < count; ++i) {
            const double x = channels[c][i];
            top = std::max(top, std::abs(x));
            sum += x * x;
            over += std::abs(x) > 1.0 ? 1 : 0;
        }
        peak[c] = top;
        sumSquares[c] += sum;
        clipped += over;
    }
    frames += count;
}

double LevelMeter::peakDb(std::int32_t channel) const {
    return toDb(peak[channel]);
}

double LevelMeter::loudestPeakDb() const {
    return toDb(peak.empty() ? 0.0 : *std::max_element(peak.begin(), peak.end()));
}

double LevelMeter::rmsDb(std::int32_t channel) const {
    if (frames == 0) return toDb(0.0);
    // 10 log10 of the mean square is 20 log10 of its root.
    const double meanSquare = sumSquares[channel] / static_cast<double>(frames);
    return meanSquare > 0.0 ? 10.0 * std::log10(meanSquare) : toDb(0.0);
}
