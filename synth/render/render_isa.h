// The instruction sets the fast render is built for, and the one this process uses. The choice is
// made once, when the library is loaded, from what the CPU offers; every build runs on any x86
// CPU with SSE2.
#pragma once

#include <cstdint>

enum class RenderIsa : std::int32_t { Sse2 = 0, Avx2, Avx512 };

inline constexpr std::int32_t kRenderIsaCount = 3;

// "sse2", "avx2", "avx512".
const char* renderIsaName(RenderIsa isa);

// True when this build carries the fast render for `isa` and the CPU (and its operating system)
// can run it.
bool renderIsaSupported(RenderIsa isa);

// [any thread] The widest supported set, chosen at load time.
RenderIsa bestRenderIsa();

// True when the build has a fast render at all (x86 builds); elsewhere the reference render runs.
bool fastRenderAvailable();
