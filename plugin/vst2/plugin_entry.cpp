// The library's exported entry and its load-time setup.
#include <new>

#include "plugin/vst2/audio_effect.h"
#include "plugin/vst2/plugin_factory.h"

namespace {

// [host thread] Version query, creation, record. A null callback gets null: there is no host to
// ask, and calling through it would crash.
AEffect* createPlugin(audioMasterCallback audioMaster) {
    if (audioMaster == nullptr) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    try {
        AudioEffect* object = createEffectInstance(audioMaster);
        return object != nullptr ? object->getAeffect() : nullptr;
    } catch (...) {
        return nullptr; // nothing may escape into the host
    }
}

// On load, on the loading thread: x87 control word 0x133F, all six floating-point exceptions
// masked, 64-bit precision, round to nearest. Our own arithmetic runs in SSE2 and does not
// depend on it; hosts that load the instrument expect the unit left this way.
#if defined(__i386__) || defined(__x86_64__)
__attribute__((constructor)) void setFloatingPointControlWord() {
    const unsigned short controlWord = 0x133F;
    __asm__ volatile("fldcw %0" : : "m"(controlWord));
}
#endif

} // namespace

// The exported names. `main` is the classic one; current Linux and 64-bit hosts look up
// `VSTPluginMain` first. The export list of each platform decides which names leave the library.
VST_EXPORT AEffect* VSTCALL VSTPluginMain(audioMasterCallback audioMaster) {
    return createPlugin(audioMaster);
}

#if !defined(_WIN32)
// `main` cannot be declared under its own name in C++; the symbol is given by assembler name.
VST_EXPORT AEffect* VSTCALL vstMainEntry(audioMasterCallback audioMaster) __asm__("main");
VST_EXPORT AEffect* VSTCALL vstMainEntry(audioMasterCallback audioMaster) {
    return createPlugin(audioMaster);
}
#endif
