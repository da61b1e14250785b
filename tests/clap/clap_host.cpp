#include "tests/clap/clap_host.h"

#include <dlfcn.h>

#include <algorithm>

namespace {

struct PieceStream {
    const std::string* text = nullptr;
    std::string* written = nullptr;
    std::size_t piece = 0;
    std::size_t position = 0;
    std::size_t failAt = std::string::npos;
};

std::int64_t ULVO_CLAP_CALL readPiece(const clap::InputStream* stream, void* buffer,
                                      std::uint64_t size) {
    auto& s = *static_cast<PieceStream*>(stream->ctx);
    if (s.position >= s.failAt) return -1;
    const std::size_t count = std::min({static_cast<std::size_t>(size), s.piece,
                                        s.text->size() - s.position, s.failAt - s.position});
    std::memcpy(buffer, s.text->data() + s.position, count);
    s.position += count;
    return static_cast<std::int64_t>(count);
}

std::int64_t ULVO_CLAP_CALL writePiece(const clap::OutputStream* stream, const void* buffer,
                                       std::uint64_t size) {
    auto& s = *static_cast<PieceStream*>(stream->ctx);
    const std::size_t count = std::min(static_cast<std::size_t>(size), s.piece);
    s.written->append(static_cast<const char*>(buffer), count);
    return static_cast<std::int64_t>(count);
}

// --- The host's extensions, each recording what the plug-in asks ---

ClapHost& hostOf(const clap::Host* host) {
    return *static_cast<ClapHost*>(host->hostData);
}

bool ULVO_CLAP_CALL isThread(const clap::Host*) {
    return true;
}
const clap::HostThreadCheck kThreadCheck = {isThread, isThread};

const clap::HostParams kParams = {
    [](const clap::Host* host, std::uint32_t) { ++hostOf(host).rescans; },
    [](const clap::Host*, clap::Id, std::uint32_t) {},
    [](const clap::Host* host) { ++hostOf(host).flushRequests; }};

const clap::HostTimerSupport kTimers = {
    [](const clap::Host* host, std::uint32_t period, clap::Id* id) {
        auto& self = hostOf(host);
        *id = static_cast<clap::Id>(100 + self.timerPeriods.size());
        self.timerPeriods.push_back(period);
        return true;
    },
    [](const clap::Host* host, clap::Id id) {
        hostOf(host).timersUnregistered.push_back(id);
        return true;
    }};

const clap::HostPosixFdSupport kFds = {[](const clap::Host* host, int fd, std::uint32_t) {
                                           hostOf(host).fdsRegistered.push_back(fd);
                                           return true;
                                       },
                                       [](const clap::Host*, int, std::uint32_t) { return true; },
                                       [](const clap::Host* host, int fd) {
                                           hostOf(host).fdsUnregistered.push_back(fd);
                                           return true;
                                       }};

const clap::HostGui kGui = {[](const clap::Host*) {},
                            [](const clap::Host* host, std::uint32_t width, std::uint32_t height) {
                                hostOf(host).resizeRequests.emplace_back(width, height);
                                return true;
                            },
                            [](const clap::Host*) { return true; },
                            [](const clap::Host*) { return true; }, [](const clap::Host*, bool) {}};

const clap::HostState kState = {[](const clap::Host*) {}};

} // namespace

const clap::PluginEntry* clapEntry() {
    static const clap::PluginEntry* entry = [] {
        void* library = dlopen(ULVO_CLAP_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return static_cast<const clap::PluginEntry*>(nullptr);
        const auto* found = static_cast<const clap::PluginEntry*>(dlsym(library, "clap_entry"));
        return found != nullptr && found->init(ULVO_CLAP_MODULE) ? found : nullptr;
    }();
    return entry;
}

void EventList::add(const clap::EventHeader* header, std::size_t size) {
    offsets.push_back(bytes.size() * sizeof(std::uint64_t));
    const std::size_t words = (size + 7) / 8;
    const std::size_t at = bytes.size();
    bytes.resize(at + words, 0);
    std::memcpy(bytes.data() + at, header, size);
}

void EventList::note(std::uint16_t type, std::uint32_t time, std::int32_t noteId, std::int16_t key,
                     double velocity, std::int16_t channel) {
    clap::EventNote event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, type, 0};
    event.noteId = noteId;
    event.portIndex = 0;
    event.channel = channel;
    event.key = key;
    event.velocity = velocity;
    add(event);
}

void EventList::midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1,
                     std::uint8_t data2) {
    clap::EventMidi event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventMidi, 0};
    event.data[0] = status;
    event.data[1] = data1;
    event.data[2] = data2;
    add(event);
}

void EventList::sysex(std::uint32_t time, const std::vector<std::uint8_t>& message) {
    clap::EventMidiSysex event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventMidiSysex, 0};
    event.buffer = message.data();
    event.size = static_cast<std::uint32_t>(message.size());
    add(event);
}

void EventList::param(std::uint32_t time, clap::Id id, double value) {
    clap::EventParamValue event{};
    event.header = {sizeof event, time, clap::kCoreEventSpace, clap::kEventParamValue, 0};
    event.paramId = id;
    event.noteId = -1;
    event.portIndex = event.channel = event.key = -1;
    event.value = value;
    add(event);
}

std::uint32_t EventList::size(const clap::InputEvents* list) {
    return static_cast<std::uint32_t>(static_cast<const EventList*>(list->ctx)->offsets.size());
}

const clap::EventHeader* EventList::get(const clap::InputEvents* list, std::uint32_t index) {
    const auto& self = *static_cast<const EventList*>(list->ctx);
    if (index >= self.offsets.size()) return nullptr;
    return reinterpret_cast<const clap::EventHeader*>(
        reinterpret_cast<const char*>(self.bytes.data()) + self.offsets[index]);
}

ClapHost::ClapHost(bool threadCheck) : threadCheck(threadCheck) {
    record = {clap::kVersion,
              this,
              "UlvoDraw tests",
              "Korvane",
              "",
              "1.0",
              extension,
              [](const clap::Host*) {},
              [](const clap::Host*) {},
              [](const clap::Host* host) { ++hostOf(host).callbacksRequested; }};
    const clap::PluginEntry* entry = clapEntry();
    if (entry == nullptr) return;
    const auto* factory =
        static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
    if (factory == nullptr || factory->getPluginCount(factory) != 1) return;
    const clap::PluginDescriptor* descriptor = factory->getPluginDescriptor(factory, 0);
    plugin = factory->createPlugin(factory, &record, descriptor->id);
    if (plugin == nullptr) return;
    if (!plugin->init(plugin)) {
        plugin->destroy(plugin);
        plugin = nullptr;
        return;
    }
    const auto ext = [this](const char* id) { return plugin->getExtension(plugin, id); };
    params = static_cast<const clap::PluginParams*>(ext(clap::kExtParams));
    state = static_cast<const clap::PluginState*>(ext(clap::kExtState));
    notePorts = static_cast<const clap::PluginNotePorts*>(ext(clap::kExtNotePorts));
    audioPorts = static_cast<const clap::PluginAudioPorts*>(ext(clap::kExtAudioPorts));
    gui = static_cast<const clap::PluginGui*>(ext(clap::kExtGui));
    timerSupport = static_cast<const clap::PluginTimerSupport*>(ext(clap::kExtTimerSupport));
    fdSupport = static_cast<const clap::PluginPosixFdSupport*>(ext(clap::kExtPosixFdSupport));
}

ClapHost::~ClapHost() {
    if (plugin == nullptr) return;
    deactivate();
    plugin->destroy(plugin);
}

const void* ClapHost::extension(const clap::Host* host, const char* id) {
    const std::string_view name = id;
    if (name == clap::kExtThreadCheck) return of(host).threadCheck ? &kThreadCheck : nullptr;
    if (name == clap::kExtParams) return &kParams;
    if (name == clap::kExtTimerSupport) return &kTimers;
    if (name == clap::kExtPosixFdSupport) return &kFds;
    if (name == clap::kExtGui) return &kGui;
    if (name == clap::kExtState) return &kState;
    return nullptr;
}

bool ClapHost::activate(double rate) {
    active = plugin->activate(plugin, rate, 1, 4096) && plugin->startProcessing(plugin);
    return active;
}

void ClapHost::deactivate() {
    if (!active) return;
    plugin->stopProcessing(plugin);
    plugin->deactivate(plugin);
    active = false;
}

std::int32_t ClapHost::run(std::uint32_t frames, std::vector<float>& left,
                           std::vector<float>& right) {
    // Whatever the buffers held before: the plug-in replaces it.
    left.assign(frames, 1234.0f);
    right.assign(frames, -1234.0f);
    float* channels[2] = {left.data(), right.data()};
    clap::AudioBuffer output{channels, nullptr, 2, 0, 0};
    clap::Process process{-1, frames, nullptr,        nullptr,      &output,
                          0,  1,      events.input(), &this->output};
    const std::int32_t status = plugin->process(plugin, &process);
    events.clear();
    return status;
}

bool ClapHost::pushed(const clap::OutputEvents* list, const clap::EventHeader* event) {
    auto& self = *static_cast<ClapHost*>(list->ctx);
    if (event->type == clap::kEventParamValue && event->size >= sizeof(clap::EventParamValue)) {
        clap::EventParamValue value;
        std::memcpy(&value, event, sizeof value);
        self.sent.emplace_back(value.paramId, value.value);
    }
    return true;
}

double ClapHost::value(clap::Id id) const {
    double v = -12345.0;
    params->getValue(plugin, id, &v);
    return v;
}

void ClapHost::flush(const EventList& list) {
    params->flush(plugin, list.input(), &output);
}

std::string ClapHost::save(std::size_t piece) {
    std::string written;
    PieceStream s{nullptr, &written, piece};
    const clap::OutputStream stream{&s, writePiece};
    return state->save(plugin, &stream) ? written : std::string();
}

bool ClapHost::load(const std::string& text, std::size_t piece, std::size_t failAt) {
    PieceStream s{&text, nullptr, piece, 0, failAt};
    const clap::InputStream stream{&s, readPiece};
    return state->load(plugin, &stream);
}
