// Small helpers of the plug-in boundary: four-character codes and bounded text copies.
#pragma once

#include <cstddef>
#include <cstdint>

// (a << 24) | (b << 16) | (c << 8) | d, each character taken as an unsigned byte.
constexpr std::int32_t fourCharCode(char a, char b, char c, char d) {
    return static_cast<std::int32_t>((std::uint32_t(std::uint8_t(a)) << 24) |
                                     (std::uint32_t(std::uint8_t(b)) << 16) |
                                     (std::uint32_t(std::uint8_t(c)) << 8) | std::uint8_t(d));
}

// Copies `text` into a host buffer of `size` bytes, cutting it to size - 1 characters and always
// terminating it. Does nothing for a null buffer or a size of 0.
void copyText(char* buffer, const char* text, std::size_t size);

// Two-decimal fixed notation of `value` ("0.10", "-0.25", "inf"), cut to fit `size` bytes.
void floatToText(float value, char* buffer, std::size_t size);
