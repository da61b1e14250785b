// Four-character codes, as the interface packs identifiers and magic numbers into 32 bits.
#pragma once

#include <cstdint>

// (a << 24) | (b << 16) | (c << 8) | d, each character taken as an unsigned byte.
constexpr std::int32_t fourCharCode(char a, char b, char c, char d) {
    return static_cast<std::int32_t>((std::uint32_t(std::uint8_t(a)) << 24) |
                                     (std::uint32_t(std::uint8_t(b)) << 16) |
                                     (std::uint32_t(std::uint8_t(c)) << 8) | std::uint8_t(d));
}
