// The longest render, and how lengths are written in the messages that refuse a longer one.
#pragma once

#include <cstdint>
#include <string>

// Frame counts stay within 31 bits, as the instrument's block sizes and offsets do: about
// 13.5 hours at 44100 Hz.
constexpr std::int64_t kMaxRenderFrames = INT32_MAX;

// "H:MM:SS.s", e.g. "4:36:00.5".
std::string durationText(double seconds);

// "13:31:33.8 (2147483647 frames at 44100 Hz)".
std::string renderLimitText(std::int32_t rate);
