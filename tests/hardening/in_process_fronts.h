// The least host that loads the CLAP and LV2 fronts in process through their entry points
// (clap_entry, lv2_descriptor, linked into the test), for the tests that drive one instance from
// two threads at once: the host records each front asks for, state through a string, a URID map
// and a worker thread. Everything a host hands from one of its threads to another goes through
// an atomic or a lock of the host's own, as a real host's would.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/clap_event_list.h"
#include "host/clap_state_streams.h"
#include "host/lv2_patch_set.h"
#include "plugin/clap/clap_abi.h"
#include "plugin/lv2/ulvodraw_uris.h"

extern "C" const clap::PluginEntry clap_entry;
extern "C" const LV2_Descriptor* lv2_descriptor(std::uint32_t index);

// The audio thread plays on until the main thread has had this many steps, so that the two
// overlap however the threads are scheduled.
inline constexpr long kMinMainThreadSteps = 300;

// What the audio thread played: blocks, and samples that are not finite.
struct AudioThreadResult {
    long blocks = 0;
    long notFinite = 0;

    void count(const std::vector<float>& left, const std::vector<float>& right,
               std::uint32_t frames) {
        ++blocks;
        for (std::uint32_t i = 0; i < frames; ++i)
            if (!std::isfinite(left[i]) || !std::isfinite(right[i])) ++notFinite;
    }
};

// --- CLAP ---

class InProcessClap {
  public:
    InProcessClap() {
        clap_entry.init("in-process");
        const auto* factory =
            static_cast<const clap::PluginFactory*>(clap_entry.getFactory(clap::kPluginFactoryId));
        plugin =
            factory->createPlugin(factory, &host, factory->getPluginDescriptor(factory, 0)->id);
        plugin->init(plugin);
        params =
            static_cast<const clap::PluginParams*>(plugin->getExtension(plugin, clap::kExtParams));
        state =
            static_cast<const clap::PluginState*>(plugin->getExtension(plugin, clap::kExtState));
        gui = static_cast<const clap::PluginGui*>(plugin->getExtension(plugin, clap::kExtGui));
        timerSupport = static_cast<const clap::PluginTimerSupport*>(
            plugin->getExtension(plugin, clap::kExtTimerSupport));
    }
    ~InProcessClap() {
        plugin->destroy(plugin);
        clap_entry.deinit();
    }
    InProcessClap(const InProcessClap&) = delete;
    InProcessClap& operator=(const InProcessClap&) = delete;

    // [audio thread] One block of `frames` (at most 4096) with `events`; `left` and `right`
    // hold its samples after.
    std::int32_t process(std::uint32_t frames, const ClapEventList& events) {
        float* channels[2] = {left.data(), right.data()};
        clap::AudioBuffer output{channels, nullptr, 2, 0, 0};
        const clap::Process block{-1, frames, nullptr,        nullptr,   &output,
                                  0,  1,      events.input(), &outEvents};
        return plugin->process(plugin, &block);
    }
    // [main thread] The calls the plug-in asked for from any thread since the last look.
    void serviceMainThread() {
        if (callbackRequested.exchange(false)) plugin->onMainThread(plugin);
    }
    // [main thread] The editor's timer, as the host runs it.
    void tickEditor() {
        if (timerId != clap::kInvalidId) timerSupport->onTimer(plugin, timerId);
    }

    std::string save() {
        const ClapStateWriter writer;
        return state->save(plugin, writer.stream()) ? writer.text() : std::string();
    }
    bool load(const std::string& text) {
        const ClapStateReader reader(text);
        return state->load(plugin, reader.stream());
    }

    const clap::Plugin* plugin = nullptr;
    const clap::PluginParams* params = nullptr;
    const clap::PluginState* state = nullptr;
    const clap::PluginGui* gui = nullptr;
    const clap::PluginTimerSupport* timerSupport = nullptr;
    std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);
    std::atomic<long> eventsSent{0}; // what process and flush told the host

  private:
    static InProcessClap& of(const clap::Host* h) {
        return *static_cast<InProcessClap*>(h->hostData);
    }
    static const void* ULVO_CLAP_CALL extension(const clap::Host*, const char* id) {
        static const clap::HostTimerSupport timers = {
            [](const clap::Host* h, std::uint32_t, clap::Id* id) {
                *id = of(h).timerId = 7;
                return true;
            },
            [](const clap::Host* h, clap::Id) {
                of(h).timerId = clap::kInvalidId;
                return true;
            }};
        static const clap::HostParams params = {[](const clap::Host*, std::uint32_t) {},
                                                [](const clap::Host*, clap::Id, std::uint32_t) {},
                                                [](const clap::Host*) {}};
        static const clap::HostState state = {[](const clap::Host*) {}};
        if (std::strcmp(id, clap::kExtTimerSupport) == 0) return &timers;
        if (std::strcmp(id, clap::kExtParams) == 0) return &params;
        return std::strcmp(id, clap::kExtState) == 0 ? &state : nullptr;
    }

    std::atomic<bool> callbackRequested{false};
    clap::Id timerId = clap::kInvalidId; // [main thread]
    const clap::Host host{clap::kVersion,
                          this,
                          "in-process",
                          "",
                          "",
                          "1",
                          extension,
                          [](const clap::Host*) {},
                          [](const clap::Host*) {},
                          [](const clap::Host* h) { of(h).callbackRequested = true; }};
    const clap::OutputEvents outEvents{
        this, [](const clap::OutputEvents* list, const clap::EventHeader*) {
            static_cast<InProcessClap*>(list->ctx)->eventsSent.fetch_add(1,
                                                                         std::memory_order_relaxed);
            return true;
        }};
};

// --- LV2 ---

class InProcessLv2 {
  public:
    explicit InProcessLv2(double rate = 44100.0) {
        descriptor = lv2_descriptor(0);
        const LV2_Feature* features[] = {&mapFeature, &scheduleFeature, nullptr};
        handle = descriptor->instantiate(descriptor, rate, "", features);
        stateInterface = static_cast<const LV2_State_Interface*>(
            descriptor->extension_data(LV2_STATE__interface));
        workerInterface = static_cast<const LV2_Worker_Interface*>(
            descriptor->extension_data(LV2_WORKER__interface));
        descriptor->connect_port(handle, kMidiInPort, input.data());
        descriptor->connect_port(handle, kOutputLeftPort, left.data());
        descriptor->connect_port(handle, kOutputRightPort, right.data());
        descriptor->connect_port(handle, kNotifyPort, notify.data());
        for (std::uint32_t index = 0; index < kControlCount; ++index) {
            ports[index] = kParameterDefaults[index];
            posted[index] = kParameterDefaults[index];
            descriptor->connect_port(handle, kFirstParameterPort + index, &ports[index]);
        }
        descriptor->activate(handle);
        worker = std::thread([this] { serveWork(); });
    }
    ~InProcessLv2() {
        {
            const std::lock_guard<std::mutex> hold(workLock);
            stopping = true;
        }
        workWaiting.notify_one();
        worker.join();
        descriptor->deactivate(handle);
        descriptor->cleanup(handle);
    }
    InProcessLv2(const InProcessLv2&) = delete;
    InProcessLv2& operator=(const InProcessLv2&) = delete;

    // [any thread] A value for control `index`'s port, which the audio thread writes into the
    // port before its next run, as hosts hand their user interface's values over.
    void writePort(std::int32_t index, float value) {
        posted[index].store(value, std::memory_order_relaxed);
    }
    // [any thread] A patch:Set of `property` to the file `path` for the next run's input.
    void setPath(const char* property, const std::string& path) {
        const std::lock_guard<std::mutex> hold(messageLock);
        pendingPaths.emplace_back(map(property), path);
    }
    using Midi = std::array<std::uint8_t, 3>;
    // [audio thread] One block of `frames` (at most 4096) with the MIDI messages `midi` at frame
    // 0, then the worker's responses, as a host hands them over between two runs.
    void run(std::uint32_t frames, const std::vector<Midi>& midi) {
        const std::lock_guard<std::mutex> running(runLock);
        for (std::int32_t index = 0; index < kControlCount; ++index)
            ports[index] = posted[index].load(std::memory_order_relaxed);
        writeInput(midi);
        // The notify port's capacity, which the plug-in fills.
        const LV2_Atom room{static_cast<std::uint32_t>(sizeof(std::uint64_t) * (notify.size() - 1)),
                            map(LV2_ATOM__Chunk)};
        std::memcpy(notify.data(), &room, sizeof room);
        descriptor->run(handle, frames);
        std::deque<std::vector<std::uint8_t>> replies;
        {
            const std::lock_guard<std::mutex> hold(workLock);
            replies.swap(responses);
        }
        for (const auto& reply : replies)
            workerInterface->work_response(handle, static_cast<std::uint32_t>(reply.size()),
                                           reply.data());
    }

    // The plug-in's state: each key's value and type.
    using State = std::map<LV2_URID, std::pair<std::string, LV2_URID>>;
    // [main thread; run() may be running]
    State save() {
        State saved;
        stateInterface->save(
            handle,
            [](LV2_State_Handle h, std::uint32_t key, const void* value, std::size_t size,
               std::uint32_t type, std::uint32_t) {
                (*static_cast<State*>(h))[key] = {
                    std::string(static_cast<const char*>(value), size), type};
                return LV2_STATE_SUCCESS;
            },
            &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
        return saved;
    }
    // [main thread] Between two runs, and no work running: the host holds its audio and worker
    // threads off while it restores.
    void restore(const State& state) {
        const std::lock_guard<std::mutex> running(runLock);
        const std::lock_guard<std::mutex> working(workRunning);
        stateInterface->restore(
            handle,
            [](LV2_State_Handle h, std::uint32_t key, std::size_t* size, std::uint32_t* type,
               std::uint32_t* flags) -> const void* {
                const State& saved = *static_cast<const State*>(h);
                const auto found = saved.find(key);
                if (found == saved.end()) return nullptr;
                *size = found->second.first.size();
                *type = found->second.second;
                *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                return found->second.first.data();
            },
            const_cast<State*>(&state), 0, nullptr);
    }

    LV2_URID map(const char* uri) {
        const std::lock_guard<std::mutex> hold(uriLock);
        const auto found = std::find(uris.begin(), uris.end(), uri);
        if (found != uris.end()) return static_cast<LV2_URID>(found - uris.begin() + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }

    std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);

  private:
    // The MIDI input: `midi`, then the first few patch:Set messages waiting, as many as the
    // buffer surely holds; the rest wait for the next runs.
    void writeInput(const std::vector<Midi>& midi) {
        std::vector<std::uint8_t> body(sizeof(LV2_Atom_Sequence_Body), 0);
        const auto event = [&](LV2_URID type, const std::vector<std::uint8_t>& bytes) {
            const LV2_Atom_Event head{{0}, {static_cast<std::uint32_t>(bytes.size()), type}};
            const auto* from = reinterpret_cast<const std::uint8_t*>(&head);
            body.insert(body.end(), from, from + sizeof head);
            body.insert(body.end(), bytes.begin(), bytes.end());
            body.resize((body.size() + 7) & ~std::size_t{7}, 0);
        };
        for (const Midi& message : midi)
            event(map(LV2_MIDI__MidiEvent), {message.begin(), message.end()});
        {
            const std::lock_guard<std::mutex> hold(messageLock);
            const auto taken =
                pendingPaths.begin() + std::min<std::ptrdiff_t>(pendingPaths.size(), 4);
            for (auto message = pendingPaths.begin(); message != taken; ++message)
                event(map(LV2_ATOM__Object),
                      patchSetBody([this](const char* uri) { return map(uri); }, message->first,
                                   message->second));
            pendingPaths.erase(pendingPaths.begin(), taken);
        }
        if (sizeof(LV2_Atom) + body.size() > sizeof(std::uint64_t) * input.size()) std::abort();
        const LV2_Atom head{static_cast<std::uint32_t>(body.size()), map(LV2_ATOM__Sequence)};
        std::memcpy(input.data(), &head, sizeof head);
        std::memcpy(reinterpret_cast<std::uint8_t*>(input.data()) + sizeof head, body.data(),
                    body.size());
    }
    // [worker thread] Runs the work the plug-in scheduled, one request at a time.
    void serveWork() {
        std::unique_lock<std::mutex> hold(workLock);
        for (;;) {
            workWaiting.wait(hold, [this] { return stopping || !requests.empty(); });
            if (stopping) return;
            const std::vector<std::uint8_t> request = std::move(requests.front());
            requests.pop_front();
            hold.unlock();
            const std::lock_guard<std::mutex> working(workRunning);
            workerInterface->work(
                handle,
                [](LV2_Worker_Respond_Handle h, std::uint32_t size, const void* data) {
                    auto& self = *static_cast<InProcessLv2*>(h);
                    const auto* bytes = static_cast<const std::uint8_t*>(data);
                    const std::lock_guard<std::mutex> held(self.workLock);
                    self.responses.emplace_back(bytes, bytes + size);
                    return LV2_WORKER_SUCCESS;
                },
                this, static_cast<std::uint32_t>(request.size()), request.data());
            hold.lock();
        }
    }
    static LV2_Worker_Status scheduleWork(LV2_Worker_Schedule_Handle h, std::uint32_t size,
                                          const void* data) {
        auto& self = *static_cast<InProcessLv2*>(h);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        {
            const std::lock_guard<std::mutex> hold(self.workLock);
            self.requests.emplace_back(bytes, bytes + size);
        }
        self.workWaiting.notify_one();
        return LV2_WORKER_SUCCESS;
    }

    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    const LV2_State_Interface* stateInterface = nullptr;
    const LV2_Worker_Interface* workerInterface = nullptr;
    std::mutex uriLock;
    std::vector<std::string> uris;
    LV2_URID_Map uridMap{this, [](LV2_URID_Map_Handle h, const char* uri) {
                             return static_cast<InProcessLv2*>(h)->map(uri);
                         }};
    LV2_Worker_Schedule schedule{this, scheduleWork};
    LV2_Feature mapFeature{LV2_URID__map, &uridMap};
    LV2_Feature scheduleFeature{LV2_WORKER__schedule, &schedule};
    std::array<float, kControlCount> ports{};               // [audio thread]
    std::array<std::atomic<float>, kControlCount> posted{}; // what the next run's ports get
    std::vector<std::uint64_t> input = std::vector<std::uint64_t>(1024);  // atom sequence
    std::vector<std::uint64_t> notify = std::vector<std::uint64_t>(1024); // atom sequence
    std::mutex runLock;
    std::mutex workRunning;
    std::mutex messageLock;
    std::vector<std::pair<LV2_URID, std::string>> pendingPaths;
    std::mutex workLock;
    std::condition_variable workWaiting;
    std::deque<std::vector<std::uint8_t>> requests, responses;
    bool stopping = false;
    std::thread worker;
};
