// A small CLAP host for tests, in process: loads the UlvoDraw.clap the build made with dlopen,
// creates the plug-in through its entry and factory, and drives it as a host does: activation,
// blocks with events at chosen frames, parameters, state through streams that take or give a
// chosen number of bytes per call, and the host extensions the plug-in may ask for, which
// record what it asks of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/clap/clap_abi.h"

// The module, loaded once and kept, as hosts keep theirs; null when it does not load.
const clap::PluginEntry* clapEntry();

// Events of any type, laid out one after another as a host's list holds them.
class EventList {
  public:
    template <typename Event> void add(const Event& event) { add(&event.header, sizeof event); }
    // `size` bytes starting at `header`, whatever header->size says.
    void add(const clap::EventHeader* header, std::size_t size);
    void note(std::uint16_t type, std::uint32_t time, std::int32_t noteId, std::int16_t key,
              double velocity = 0.0, std::int16_t channel = 0);
    void midi(std::uint32_t time, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void param(std::uint32_t time, clap::Id id, double value);
    // A SysEx event pointing at `bytes`, which must outlive the run.
    void sysex(std::uint32_t time, const std::vector<std::uint8_t>& bytes);
    void clear() { offsets.clear(), bytes.clear(); }
    bool empty() const { return offsets.empty(); }

    const clap::InputEvents* input() const { return &list; }

  private:
    static std::uint32_t size(const clap::InputEvents* list);
    static const clap::EventHeader* get(const clap::InputEvents* list, std::uint32_t index);

    std::vector<std::size_t> offsets;
    std::vector<std::uint64_t> bytes; // 8-byte aligned
    clap::InputEvents list{this, size, get};
};

class ClapHost {
  public:
    // Creates the plug-in and calls its init; with `threadCheck`, the host answers that every
    // thread is its main and audio thread.
    explicit ClapHost(bool threadCheck = true);
    ~ClapHost();
    ClapHost(const ClapHost&) = delete;
    ClapHost& operator=(const ClapHost&) = delete;

    bool loaded() const { return plugin != nullptr; }
    bool activate(double rate = 44100.0);
    void deactivate();

    // Events for the next run.
    EventList events;
    // Processes one block of `frames` frames with `events` (cleared after); `left` and `right`
    // get its samples. The status the plug-in returned.
    std::int32_t run(std::uint32_t frames, std::vector<float>& left, std::vector<float>& right);
    // The parameter events the plug-in sent in runs and flushes, by id and value.
    std::vector<std::pair<clap::Id, double>> sent;

    double value(clap::Id id) const;
    void flush(const EventList& list);

    // The state through a stream that takes at most `piece` bytes a call; empty when the
    // plug-in says it could not save.
    std::string save(std::size_t piece = 1 << 20);
    // The state through a stream that gives at most `piece` bytes a call, and fails (-1) when
    // asked for what lies at or past `failAt`.
    bool load(const std::string& text, std::size_t piece = 1 << 20,
              std::size_t failAt = std::string::npos);

    // What the plug-in asked of the host.
    int rescans = 0;
    int flushRequests = 0;
    int callbacksRequested = 0;
    std::vector<std::uint32_t> timerPeriods;
    std::vector<clap::Id> timersUnregistered;
    std::vector<int> fdsRegistered;
    std::vector<int> fdsUnregistered;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests;

    const clap::Plugin* plugin = nullptr;
    const clap::PluginParams* params = nullptr;
    const clap::PluginState* state = nullptr;
    const clap::PluginNotePorts* notePorts = nullptr;
    const clap::PluginAudioPorts* audioPorts = nullptr;
    const clap::PluginGui* gui = nullptr;
    const clap::PluginTimerSupport* timerSupport = nullptr;
    const clap::PluginPosixFdSupport* fdSupport = nullptr;

  private:
    static ClapHost& of(const clap::Host* host) { return *static_cast<ClapHost*>(host->hostData); }
    static const void* extension(const clap::Host* host, const char* id);

    bool threadCheck;
    bool active = false;
    clap::Host record;
    clap::OutputEvents output{this, pushed};
    static bool pushed(const clap::OutputEvents* list, const clap::EventHeader* event);
};
