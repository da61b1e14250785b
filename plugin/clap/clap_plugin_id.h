// The id UlvoDraw.clap's one plug-in has: stable for good, as hosts save sessions by it.
#pragma once

inline constexpr const char* kUlvoDrawClapId = "com.korvane.ulvodraw";
