// What the instrument is called wherever it shows up: in a host's plug-in list, an LV2 bundle or
// a player's window.
#pragma once

inline constexpr const char* kInstrumentName = "UlvoDraw";
inline constexpr const char* kVendorName = "Korvane";
inline constexpr const char* kProductName = "Ulvo DrawBar Synth";
inline constexpr const char* kOutputNames[2] = {"Draw 1", "Draw 2"};
