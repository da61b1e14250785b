// The instrument's logo, 110 x 25 pixels, computed rather than stored: the name in block letters
// over a green gradient, above a row of drawbar tabs.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr std::int32_t kLogoWidth = 110;
inline constexpr std::int32_t kLogoHeight = 25;

// Row-major from the top-left, each pixel 0x00RRGGBB.
std::vector<std::uint32_t> logoPixels();
