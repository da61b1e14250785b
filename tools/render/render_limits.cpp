#include "tools/render/render_limits.h"

#include <cmath>
#include <cstdio>

std::string durationText(double seconds) {
    const double tenths = std::round(seconds * 10.0);
    const auto whole = static_cast<long long>(tenths / 10.0);
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", whole / 3600, whole / 60 % 60,
                  whole % 60, static_cast<long long>(tenths) % 10);
    return text;
}

std::string renderLimitText(std::int32_t rate) {
    return durationText(static_cast<double>(kMaxRenderFrames) / rate) + " (" +
           std::to_string(kMaxRenderFrames) + " frames at " + std::to_string(rate) + " Hz)";
}
