#include "synth/render/render_isa.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define ULVO_X86 1
#endif

namespace {

bool cpuHas(RenderIsa isa) {
#ifdef ULVO_X86
    // libgcc checks the operating system's register saving (XCR0) along with the CPU's bits.
    __builtin_cpu_init();
    switch (isa) {
    case RenderIsa::Sse2:
        return __builtin_cpu_supports("sse2") != 0;
    case RenderIsa::Avx2:
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
    case RenderIsa::Avx512:
        // Fewer voices take the AVX2 kernels there.
        return __builtin_cpu_supports("avx512f") != 0 && cpuHas(RenderIsa::Avx2);
    }
#endif
    (void)isa;
    return false;
}

RenderIsa widestSupported() {
    for (std::int32_t i = kRenderIsaCount - 1; i > 0; --i)
        if (cpuHas(static_cast<RenderIsa>(i))) return static_cast<RenderIsa>(i);
    return RenderIsa::Sse2;
}

// Chosen while the library loads, before any render can run.
const RenderIsa loadTimeIsa = widestSupported();

} // namespace

const char* renderIsaName(RenderIsa isa) {
    switch (isa) {
    case RenderIsa::Sse2:
        return "sse2";
    case RenderIsa::Avx2:
        return "avx2";
    case RenderIsa::Avx512:
        return "avx512";
    }
    return "";
}

bool fastRenderAvailable() {
#ifdef ULVO_X86
    return true;
#else
    return false;
#endif
}

bool renderIsaSupported(RenderIsa isa) {
    return fastRenderAvailable() && cpuHas(isa);
}

RenderIsa bestRenderIsa() {
    return loadTimeIsa;
}
