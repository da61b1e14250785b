// The CLAP module's one export: the entry, whose factory describes the one plug-in and creates
// its instances. Nothing is prepared at init, so a host's scan costs nothing but the load.
#include <cstring>
#include <new>

#include "plugin/clap/clap_abi.h"
#include "plugin/clap/clap_instance.h"
#include "synth/identity.h"

namespace {

constexpr const char* kFeatures[] = {"instrument", "synthesizer", "stereo", nullptr};

const clap::PluginDescriptor kDescriptor = {
    clap::kVersion,
    kUlvoDrawClapId,
    kInstrumentName,
    kVendorName,
    "https://korvane.example/ulvodraw",
    "",
    "",
    ULVO_VERSION,
    "Polyphonic drawbar synthesizer",
    kFeatures,
};

// [thread-safe]
std::uint32_t ULVO_CLAP_CALL pluginCount(const clap::PluginFactory*) {
    return 1;
}

// [thread-safe]
const clap::PluginDescriptor* ULVO_CLAP_CALL pluginDescriptor(const clap::PluginFactory*,
                                                              std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

// [thread-safe] The host is not called until the instance's init. Nothing may leave through the
// host's C call: a failure to allocate is a failure to create.
const clap::Plugin* ULVO_CLAP_CALL createPlugin(const clap::PluginFactory*, const clap::Host* host,
                                                const char* pluginId) {
    if (host == nullptr || pluginId == nullptr || std::strcmp(pluginId, kUlvoDrawClapId) != 0 ||
        host->clapVersion.major < 1)
        return nullptr;
    try {
        return (new ClapInstance(*host, kDescriptor))->record();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

constexpr clap::PluginFactory kFactory = {pluginCount, pluginDescriptor, createPlugin};

// [any thread, never with another entry call] Nothing to prepare or to free, however often the
// host calls them.
bool ULVO_CLAP_CALL entryInit(const char*) {
    return true;
}

void ULVO_CLAP_CALL entryDeinit() {}

// [thread-safe]
const void* ULVO_CLAP_CALL factory(const char* id) {
    return id != nullptr && std::strcmp(id, clap::kPluginFactoryId) == 0 ? &kFactory : nullptr;
}

} // namespace

extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    extern const clap::PluginEntry clap_entry;
const clap::PluginEntry clap_entry = {clap::kVersion, entryInit, entryDeinit, factory};
}
