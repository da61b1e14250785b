// What the instrument is called wherever it shows up: in a host's plug-in list, an LV2 bundle or
// a player's window, and the names hosts know it and its tuning by in each plug-in format (stable
// for good: hosts save sessions by them).
#pragma once

inline constexpr const char* kInstrumentName = "UlvoDraw";
inline constexpr const char* kVendorName = "Korvane";
inline constexpr const char* kProductName = "Ulvo DrawBar Synth";
inline constexpr const char* kOutputNames[2] = {"Draw 1", "Draw 2"};

#define ULVODRAW_LV2_URI "https://korvane.example/ulvodraw"
// The LV2 properties a host sets to a tuning file's path: a Scala scale and a keyboard mapping.
inline constexpr const char* kScaleUri = ULVODRAW_LV2_URI "#scale";
inline constexpr const char* kKeymapUri = ULVODRAW_LV2_URI "#keymap";
// The id UlvoDraw.clap's one plug-in has.
inline constexpr const char* kUlvoDrawClapId = "com.korvane.ulvodraw";
