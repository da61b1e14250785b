// The CLAP and LV2 fronts loaded in process through their entry points (clap_entry,
// lv2_descriptor, linked into the test), for the tests that drive one instance from two threads
// at once. The CLAP front is held by the host library; the LV2 front by the descriptor glue
// below, with a worker thread of its own. Everything a host hands from one of its threads to
// another goes through an atomic or a lock of the host's own, as a real host's would.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/clap_event_list.h"
#include "host/clap_library.h"
#include "host/clap_plugin.h"
#include "host/lv2_patch_set.h"
#include "host/lv2_state.h"
#include "host/lv2_urid_map.h"
#include "host/lv2_worker.h"
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

// The CLAP front linked in, held by the host library as any host holds it, with one block's
// buffers. The host record takes requests from either thread and offers the editor's timers, but
// no thread check: its answer, that every thread is both main and audio thread, is false here.
class InProcessClap {
  public:
    InProcessClap()
        : library(clap_entry, "in-process"),
          instance(library.factory(), library.descriptor().id, "the linked-in CLAP front",
                   "in-process", {.threadCheck = false, .windowing = true}) {}

    // [audio thread] One block of `frames` (at most 4096) with `events`; `left` and `right`
    // hold its samples after.
    std::int32_t process(std::uint32_t frames, const ClapEventList& events) {
        float* channels[2] = {left.data(), right.data()};
        clap::AudioBuffer output{channels, nullptr, 2, 0, 0};
        clap::Process block{-1, frames, nullptr, nullptr, &output, 0, 1, events.input(), nullptr};
        return instance.process(block);
    }

    ClapLibrary library;
    ClapPlugin instance;
    std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);
};

// --- LV2 ---

// The LV2 front linked in: its descriptor's calls, with the host library's URID map, state and
// worker (on a thread of its own, as a live host's), and its patch:Set messages.
class InProcessLv2 {
  public:
    explicit InProcessLv2(double rate = 44100.0) {
        descriptor = lv2_descriptor(0);
        const LV2_Feature* features[] = {uris.mapFeature(), worker.feature(), nullptr};
        handle = descriptor->instantiate(descriptor, rate, "", features);
        stateInterface = static_cast<const LV2_State_Interface*>(
            descriptor->extension_data(LV2_STATE__interface));
        worker.attach(handle, static_cast<const LV2_Worker_Interface*>(
                                  descriptor->extension_data(LV2_WORKER__interface)));
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
    }
    ~InProcessLv2() {
        worker.stop();
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
        worker.finishBlock();
    }

    using State = Lv2State;
    // [main thread; run() may be running]
    State save() {
        return saveLv2State(*stateInterface, handle, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    }
    // [main thread] Between two runs, and no work running: the host holds its audio and worker
    // threads off while it restores.
    void restore(const State& state) {
        const std::lock_guard<std::mutex> running(runLock);
        const auto working = worker.holdOff();
        restoreLv2State(*stateInterface, handle, state);
    }

    LV2_URID map(const char* uri) { return uris.map(uri); }

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

    Lv2UridMap uris;
    Lv2Worker worker{Lv2WorkerThread::OwnThread};
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    const LV2_State_Interface* stateInterface = nullptr;
    std::array<float, kControlCount> ports{};               // [audio thread]
    std::array<std::atomic<float>, kControlCount> posted{}; // what the next run's ports get
    std::vector<std::uint64_t> input = std::vector<std::uint64_t>(1024);  // atom sequence
    std::vector<std::uint64_t> notify = std::vector<std::uint64_t>(1024); // atom sequence
    std::mutex runLock;
    std::mutex messageLock;
    std::vector<std::pair<LV2_URID, std::string>> pendingPaths;
};
