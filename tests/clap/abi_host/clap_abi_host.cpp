// A minimal CLAP host that loads a built UlvoDraw.clap (a shared object with dlopen, a DLL with
// LoadLibrary) and drives it through the binary interface alone, built natively and with MinGW
// from this one source, so that every build is checked the same way: the Windows builds under
// Wine against the native one.
//
//   clap_abi_host check MODULE        entry, descriptor, parameters, ports and state; prints a
//                                     pass/fail count
//   clap_abi_host render MODULE OUT   plays a fixed scenario (CLAP notes, MIDI, parameter events
//                                     within blocks) and writes its raw float samples
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "plugin/clap/clap_abi.h"

namespace {

int passed = 0, failed = 0;

void expect(bool ok, const std::string& what) {
    ok ? ++passed : ++failed;
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
}

const clap::PluginEntry* loadEntry(const char* path) {
#ifdef _WIN32
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<const clap::PluginEntry*>(GetProcAddress(library, "clap_entry"));
#else
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return static_cast<const clap::PluginEntry*>(dlsym(library, "clap_entry"));
#endif
}

const void* ULVO_CLAP_CALL noExtension(const clap::Host*, const char*) {
    return nullptr;
}
void ULVO_CLAP_CALL nothing(const clap::Host*) {}
const clap::Host kHost = {clap::kVersion, nullptr, "clap_abi_host", "",     "", "1",
                          noExtension,    nothing, nothing,         nothing};

// Events laid out one after another, as a host's list holds them.
struct Events {
    std::vector<std::uint64_t> bytes;
    std::vector<std::size_t> offsets;
    clap::InputEvents list{this, count, get};

    template <typename Event> void add(const Event& event) {
        offsets.push_back(bytes.size() * 8);
        bytes.resize(bytes.size() + (sizeof event + 7) / 8, 0);
        std::memcpy(reinterpret_cast<char*>(bytes.data()) + offsets.back(), &event, sizeof event);
    }
    void note(std::uint16_t type, std::uint32_t time, std::int32_t id, std::int16_t key,
              double velocity) {
        clap::EventNote e{};
        e.header = {sizeof e, time, clap::kCoreEventSpace, type, 0};
        e.noteId = id;
        e.portIndex = 0;
        e.channel = 0;
        e.key = key;
        e.velocity = velocity;
        add(e);
    }
    void param(std::uint32_t time, clap::Id id, double value) {
        clap::EventParamValue e{};
        e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kEventParamValue, 0};
        e.paramId = id;
        e.noteId = -1;
        e.portIndex = e.channel = e.key = -1;
        e.value = value;
        add(e);
    }
    void midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
        clap::EventMidi e{};
        e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kEventMidi, 0};
        e.data[0] = status;
        e.data[1] = data1;
        e.data[2] = data2;
        add(e);
    }
    static std::uint32_t ULVO_CLAP_CALL count(const clap::InputEvents* list) {
        return static_cast<std::uint32_t>(static_cast<Events*>(list->ctx)->offsets.size());
    }
    static const clap::EventHeader* ULVO_CLAP_CALL get(const clap::InputEvents* list,
                                                       std::uint32_t index) {
        auto* self = static_cast<Events*>(list->ctx);
        return reinterpret_cast<const clap::EventHeader*>(
            reinterpret_cast<const char*>(self->bytes.data()) + self->offsets[index]);
    }
};

struct Text {
    std::string bytes;
    std::size_t position = 0;
};

// One byte a call, as the most frugal host streams.
std::int64_t ULVO_CLAP_CALL writeByte(const clap::OutputStream* stream, const void* buffer,
                                      std::uint64_t size) {
    if (size == 0) return 0;
    static_cast<Text*>(stream->ctx)->bytes += *static_cast<const char*>(buffer);
    return 1;
}
std::int64_t ULVO_CLAP_CALL readByte(const clap::InputStream* stream, void* buffer,
                                     std::uint64_t size) {
    auto* text = static_cast<Text*>(stream->ctx);
    if (size == 0 || text->position >= text->bytes.size()) return 0;
    *static_cast<char*>(buffer) = text->bytes[text->position++];
    return 1;
}

const clap::Plugin* create(const clap::PluginEntry* entry) {
    const auto* factory =
        static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
    if (factory == nullptr || factory->getPluginCount(factory) != 1) return nullptr;
    const clap::Plugin* plugin =
        factory->createPlugin(factory, &kHost, factory->getPluginDescriptor(factory, 0)->id);
    return plugin != nullptr && plugin->init(plugin) ? plugin : nullptr;
}

template <typename T> const T* extension(const clap::Plugin* plugin, const char* id) {
    return static_cast<const T*>(plugin->getExtension(plugin, id));
}

int check(const clap::PluginEntry* entry, const char* path) {
    expect(entry->clapVersion.major == 1, "the entry's version is 1.x");
    expect(entry->init(path), "init");
    const auto* factory =
        static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
    expect(factory != nullptr, "the plug-in factory");
    if (factory == nullptr) return 1;
    const clap::PluginDescriptor* descriptor = factory->getPluginDescriptor(factory, 0);
    expect(descriptor != nullptr && std::strcmp(descriptor->id, "com.korvane.ulvodraw") == 0 &&
               std::strcmp(descriptor->name, "UlvoDraw") == 0,
           "the descriptor's id and name");
    const clap::Plugin* plugin = create(entry);
    expect(plugin != nullptr, "create and init");
    if (plugin == nullptr) return 1;
    const auto* params = extension<clap::PluginParams>(plugin, clap::kExtParams);
    expect(params != nullptr && params->count(plugin) == 24, "24 parameters");
    for (std::uint32_t i = 0; params != nullptr && i < params->count(plugin); ++i) {
        clap::ParamInfo info{};
        const bool found = params->getInfo(plugin, i, &info);
        expect(found && info.id == i && info.minValue < info.maxValue &&
                   info.defaultValue >= info.minValue && info.defaultValue <= info.maxValue,
               "parameter " + std::to_string(i) + "'s id and range");
        char text[64] = "";
        double back = NAN;
        expect(params->valueToText(plugin, i, info.defaultValue, text, sizeof text) &&
                   params->textToValue(plugin, i, text, &back) &&
                   std::fabs(back - info.defaultValue) < 0.05,
               "parameter " + std::to_string(i) + "'s text both ways");
    }
    const auto* notes = extension<clap::PluginNotePorts>(plugin, clap::kExtNotePorts);
    clap::NotePortInfo notePort{};
    expect(notes != nullptr && notes->count(plugin, true) == 1 &&
               notes->get(plugin, 0, true, &notePort) &&
               notePort.supportedDialects == (clap::kNoteDialectClap | clap::kNoteDialectMidi),
           "one note input, CLAP and MIDI");
    const auto* audio = extension<clap::PluginAudioPorts>(plugin, clap::kExtAudioPorts);
    clap::AudioPortInfo audioPort{};
    expect(audio != nullptr && audio->count(plugin, false) == 1 &&
               audio->get(plugin, 0, false, &audioPort) && audioPort.channelCount == 2 &&
               std::strcmp(audioPort.portType, clap::kPortStereo) == 0,
           "one stereo output");
    const auto* state = extension<clap::PluginState>(plugin, clap::kExtState);
    Text saved;
    const clap::OutputStream out{&saved, writeByte};
    expect(state != nullptr && state->save(plugin, &out) &&
               saved.bytes.rfind("ulvodraw-bank ", 0) == 0,
           "the state, a byte at a time");
    const clap::Plugin* second = create(entry);
    Text again;
    const clap::OutputStream outAgain{&again, writeByte};
    const clap::InputStream in{&saved, readByte};
    expect(second != nullptr && state->load(second, &in) && state->save(second, &outAgain) &&
               again.bytes == saved.bytes,
           "the state loads into another instance");
    expect(plugin->activate(plugin, 44100.0, 1, 4096) && !plugin->activate(second, 0.0, 1, 4096),
           "activation at a usable rate only");
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    if (second != nullptr) second->destroy(second);
    entry->deinit();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

// Two seconds in blocks of 256: CLAP notes and MIDI notes, a bend, and parameters moving within
// blocks.
int render(const clap::PluginEntry* entry, const char* path, const char* outPath) {
    if (!entry->init(path)) return 1;
    const clap::Plugin* plugin = create(entry);
    if (plugin == nullptr || !plugin->activate(plugin, 44100.0, 1, 256) ||
        !plugin->startProcessing(plugin))
        return 1;
    std::FILE* out = std::fopen(outPath, "wb");
    if (out == nullptr) return 1;
    std::vector<float> left(256), right(256);
    float* channels[2] = {left.data(), right.data()};
    clap::AudioBuffer buffer{channels, nullptr, 2, 0, 0};
    for (int block = 0; block < 344; ++block) {
        Events events;
        if (block % 40 == 0) {
            events.note(clap::kEventNoteOn, 17, block, static_cast<std::int16_t>(48 + block % 24),
                        0.7);
            events.midi(100, 0x90, static_cast<std::uint8_t>(60 + block % 12), 90);
            events.param(130, 4, 0.2 + 0.01 * (block % 50));
            events.param(130, 10, (block % 3) / 2.0);
        }
        if (block % 40 == 25) {
            events.note(clap::kEventNoteOff, 3, block - 25, -1, 0.0);
            events.param(200, 16, -3.0);
            events.midi(240, 0xE0, 0, static_cast<std::uint8_t>(64 + block % 20));
        }
        clap::Process process{block * 256, 256, nullptr,      nullptr, &buffer,
                              0,           1,   &events.list, nullptr};
        if (plugin->process(plugin, &process) != clap::kProcessContinue) return 1;
        for (int i = 0; i < 256; ++i) {
            std::fwrite(&left[i], sizeof(float), 1, out);
            std::fwrite(&right[i], sizeof(float), 1, out);
        }
    }
    std::fclose(out);
    plugin->stopProcessing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
    entry->deinit();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: clap_abi_host check MODULE | render MODULE OUT\n");
        return 2;
    }
    const clap::PluginEntry* entry = loadEntry(argv[2]);
    if (entry == nullptr) {
        std::printf("FAILED: %s does not load or has no clap_entry\n", argv[2]);
        return 1;
    }
    if (std::strcmp(argv[1], "check") == 0) return check(entry, argv[2]);
    if (std::strcmp(argv[1], "render") == 0 && argc == 4) return render(entry, argv[2], argv[3]);
    return 2;
}
