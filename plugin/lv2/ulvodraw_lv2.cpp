// The LV2 front: the instrument behind LV2's ports, one for every control. Each run applies the
// control ports that changed (all of them on the first run), each held within its own declared
// range and skipping values that are not numbers, as one set, then plays the block's MIDI at its
// frames through the MIDI front, then renders. The 32 programs live in the plug-in's saved state;
// after a state saved before the playing controls existed, their ports count once moved.
#include <array>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include "plugin/lv2/tuning_property.h"
#include "plugin/lv2/ulvodraw_uris.h"
#include "synth/bank_text.h"
#include "synth/control_limits.h"
#include "synth/instrument.h"
#include "synth/midi_front.h"

namespace {

struct Urids {
    LV2_URID midiEvent = 0;
    LV2_URID atomSequence = 0;
    LV2_URID atomString = 0;
    LV2_URID atomObject = 0;
    LV2_URID atomBlank = 0; // what older hosts call an object without an id
    LV2_URID stateBank = 0;
    LV2_URID stateUnmoved = 0;
};

class UlvoDrawLv2 {
  public:
    UlvoDrawLv2(float rate, LV2_URID_Map& map, const LV2_Worker_Schedule* schedule,
                LV2_Log_Log* log)
        : tuning(instrument, map, schedule, log) {
        urids.midiEvent = map.map(map.handle, LV2_MIDI__MidiEvent);
        urids.atomSequence = map.map(map.handle, LV2_ATOM__Sequence);
        urids.atomString = map.map(map.handle, LV2_ATOM__String);
        urids.atomObject = map.map(map.handle, LV2_ATOM__Object);
        urids.atomBlank = map.map(map.handle, LV2_ATOM__Blank);
        urids.stateBank = map.map(map.handle, kStateBankUri);
        urids.stateUnmoved = map.map(map.handle, kStateUnmovedUri);
        instrument.setSampleRate(rate);
        instrument.settleProgram(0);
        rememberParameters();
    }

    void connect(std::uint32_t port, void* data) {
        if (port == kMidiInPort)
            midiIn = static_cast<const LV2_Atom_Sequence*>(data);
        else if (port == kOutputLeftPort)
            left = static_cast<float*>(data);
        else if (port == kOutputRightPort)
            right = static_cast<float*>(data);
        else if (port == kNotifyPort)
            notifyOut = static_cast<LV2_Atom_Sequence*>(data);
        else if (port >= kFirstParameterPort && port < kNotifyPort) {
            const std::uint32_t index = port - kFirstParameterPort;
            connected[index] = data != nullptr;
            // An unconnected port reads the value last applied, which never counts as a change.
            // A port that waits to be moved compares with its default, so that any other value,
            // the one applied too, counts as the move.
            held[index] = std::bit_cast<float>(applied[index]);
            const bool waits = data != nullptr && untilMoved[index].load(std::memory_order_relaxed);
            seen[index] = waits ? defaultBits(static_cast<std::int32_t>(index)) : applied[index];
            controls[index] = data != nullptr ? static_cast<const float*>(data) : &held[index];
        }
    }

    // [audio thread] No allocation, lock or I/O.
    void run(std::uint32_t frames) {
        applyChangedControls();
        readMidi(frames);
        tuning.notify(notifyOut);
        render(frames);
    }

    // [not the audio thread; run() may be running] The bank as text in the host's state, and the
    // ports the programs do not follow yet.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle) {
        const std::string text = writeBankText(instrument);
        const std::uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        const LV2_State_Status status =
            store(handle, urids.stateBank, text.c_str(), text.size() + 1, urids.atomString, flags);
        std::string unmoved;
        for (std::int32_t index = kParameterCount; index < kControlCount; ++index)
            if (untilMoved[index].load(std::memory_order_relaxed))
                (unmoved += unmoved.empty() ? "" : " ") += kParameterSymbols[index];
        if (status != LV2_STATE_SUCCESS) return status;
        if (!unmoved.empty()) {
            const LV2_State_Status stored = store(handle, urids.stateUnmoved, unmoved.c_str(),
                                                  unmoved.size() + 1, urids.atomString, flags);
            if (stored != LV2_STATE_SUCCESS) return stored;
        }
        return tuning.save(store, handle);
    }

    // [worker thread]
    LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           std::uint32_t size, const void* data) {
        return tuning.work(respond, handle, size, data);
    }
    // [audio thread]
    void workResponse(std::uint32_t size, const void* data) { tuning.workResponse(size, data); }

    // [not while running]
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
        tuning.restore(retrieve, handle);
        const std::optional<std::string_view> bank =
            retrieveText(retrieve, handle, urids.stateBank);
        if (!bank) return LV2_STATE_SUCCESS; // defaults
        const BankRestore restored = restoreBankText(instrument, *bank);
        // Ports that still hold the values just restored are not applied over them again.
        rememberParameters();
        // A bank saved before a playing control existed comes from a session that has no value
        // for its port: the default a host leaves in it would put every sound off its classic
        // value, so it counts only once the port is moved off its default. The state saved after
        // keeps the ports not moved yet.
        const std::string_view unmoved =
            retrieveText(retrieve, handle, urids.stateUnmoved).value_or("");
        for (std::int32_t index = kParameterCount; index < kControlCount; ++index) {
            const bool waits =
                (restored.recognised && index >= bankTextControls(restored.version)) ||
                hasWord(unmoved, kParameterSymbols[index]);
            untilMoved[index].store(waits, std::memory_order_relaxed);
            if (waits) seen[index] = defaultBits(index);
        }
        firstRun = false;
        return LV2_STATE_SUCCESS;
    }

  private:
    // The text the host keeps under `key`; nothing when there is none or it is not a string.
    // The size the host gives is all that is trusted; the text may lack its terminator.
    std::optional<std::string_view> retrieveText(LV2_State_Retrieve_Function retrieve,
                                                 LV2_State_Handle handle, LV2_URID key) const {
        std::size_t size = 0;
        std::uint32_t type = 0;
        std::uint32_t flags = 0;
        const void* data = retrieve(handle, key, &size, &type, &flags);
        if (data == nullptr || type != urids.atomString) return std::nullopt;
        std::string_view text(static_cast<const char*>(data), size);
        return text.substr(0, text.find('\0'));
    }

    static bool hasWord(std::string_view text, std::string_view word) {
        while (!text.empty()) {
            const std::size_t end = text.find(' ');
            if (text.substr(0, end) == word) return true;
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        }
        return false;
    }

    static std::uint32_t defaultBits(std::int32_t index) {
        return std::bit_cast<std::uint32_t>(kParameterDefaults[index]);
    }

    void rememberParameters() {
        for (std::int32_t index = 0; index < kControlCount; ++index) {
            applied[index] = std::bit_cast<std::uint32_t>(instrument.parameter(index));
            seen[index] = applied[index];
            held[index] = instrument.parameter(index);
        }
    }

    void applyChangedControls() {
        // Most runs change nothing: one look at every port, without a branch per port, tells.
        // A port compares with what it held last, so a value held or skipped costs one look too.
        if (!firstRun) {
            bool changed = false;
            for (std::int32_t index = 0; index < kControlCount; ++index)
                changed |= std::bit_cast<std::uint32_t>(*controls[index]) != seen[index];
            if (!changed) return;
        }
        ParameterSet changes;
        for (std::int32_t index = 0; index < kControlCount; ++index) {
            if (!connected[index]) continue;
            const float raw = *controls[index];
            const auto rawBits = std::bit_cast<std::uint32_t>(raw);
            if (rawBits == seen[index] && !firstRun) continue;
            seen[index] = rawBits;
            if (untilMoved[index].load(std::memory_order_relaxed)) {
                if (rawBits == defaultBits(index)) continue;
                untilMoved[index].store(false, std::memory_order_relaxed);
            }
            if (std::isnan(raw)) continue; // not a number: the value last applied stays
            const float value = heldInRange(index, raw);
            const auto bits = std::bit_cast<std::uint32_t>(value);
            if (bits == applied[index] && !firstRun) continue;
            applied[index] = bits;
            changes.set(index, value);
        }
        instrument.applyValues(changes);
        firstRun = false;
    }

    // Every size and offset in the sequence is checked against the sequence's own size before it
    // is read; frames are kept within the block.
    void readMidi(std::uint32_t frames) {
        if (midiIn == nullptr || midiIn->atom.type != urids.atomSequence) return;
        const std::uint32_t total = midiIn->atom.size;
        if (total < sizeof(LV2_Atom_Sequence_Body)) return;
        const auto* body = reinterpret_cast<const std::uint8_t*>(&midiIn->body);
        std::uint64_t offset = sizeof(LV2_Atom_Sequence_Body);
        const std::int32_t lastFrame =
            frames == 0
                ? 0
                : static_cast<std::int32_t>(frames - 1 > INT32_MAX ? INT32_MAX : frames - 1);
        while (offset + sizeof(LV2_Atom_Event) <= total) {
            LV2_Atom_Event event;
            std::memcpy(&event, body + offset, sizeof event);
            const std::uint64_t bodyStart = offset + sizeof(LV2_Atom_Event);
            if (event.body.size > total - bodyStart) return;
            if (event.body.type == urids.midiEvent) {
                const std::int64_t time = event.time.frames;
                const auto frame =
                    static_cast<std::int32_t>(time < 0 ? 0 : (time > lastFrame ? lastFrame : time));
                midi.message(body + bodyStart, event.body.size, frame);
            } else if (event.body.type == urids.atomObject || event.body.type == urids.atomBlank) {
                tuning.patchMessage(body + bodyStart, event.body.size);
            }
            offset = bodyStart + ((event.body.size + 7u) & ~std::uint64_t{7});
        }
    }

    void render(std::uint32_t frames) {
        if (left == nullptr || right == nullptr) return;
        std::uint32_t done = 0;
        while (done < frames) {
            const std::uint32_t chunk = frames - done > INT32_MAX ? INT32_MAX : frames - done;
            instrument.renderReplacing(left + done, right + done, static_cast<std::int32_t>(chunk));
            done += chunk;
        }
    }

    Instrument instrument;
    MidiFront midi{instrument};
    Lv2Tuning tuning;
    Urids urids;
    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* notifyOut = nullptr;
    float* left = nullptr;
    float* right = nullptr;
    std::array<std::uint32_t, kControlCount> applied{}; // bits of the value last applied
    std::array<std::uint32_t, kControlCount> seen{};    // bits each port held when last read
    std::array<float, kControlCount> held{};            // what unconnected ports read
    std::array<bool, kControlCount> connected{};
    // Ports whose default is not applied (see restore); read by save on another thread.
    std::array<std::atomic<bool>, kControlCount> untilMoved{};
    std::array<const float*, kControlCount> controls = [this] {
        std::array<const float*, kControlCount> unconnected{};
        for (std::int32_t index = 0; index < kControlCount; ++index)
            unconnected[index] = &held[index];
        return unconnected;
    }();
    // The first run applies every port, as a host that sets all parameters when it loads a VST
    // 2 plug-in does; the drawbar weights then come out the same in both formats.
    bool firstRun = true;
};

UlvoDrawLv2* self(LV2_Handle handle) {
    return static_cast<UlvoDrawLv2*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    const LV2_Worker_Schedule* schedule = nullptr;
    LV2_Log_Log* log = nullptr;
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
        if (std::strcmp((*f)->URI, LV2_URID__map) == 0)
            map = static_cast<LV2_URID_Map*>((*f)->data);
        else if (std::strcmp((*f)->URI, LV2_WORKER__schedule) == 0)
            schedule = static_cast<const LV2_Worker_Schedule*>((*f)->data);
        else if (std::strcmp((*f)->URI, LV2_LOG__log) == 0)
            log = static_cast<LV2_Log_Log*>((*f)->data);
    }
    if (map == nullptr) return nullptr;
    const auto sampleRate = static_cast<float>(rate);
    if (!(sampleRate > 0.0f) || !(sampleRate < 1.0e9f)) return nullptr;
    // The tuning's files live in strings: a failure to allocate is a failure to instantiate.
    try {
        return new UlvoDrawLv2(sampleRate, *map, schedule, log);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) {
    self(handle)->connect(port, data);
}

void activate(LV2_Handle) {}

void run(LV2_Handle handle, std::uint32_t frames) {
    self(handle)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle) {
    delete self(handle);
}

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store,
                           LV2_State_Handle state, std::uint32_t, const LV2_Feature* const*) {
    return self(handle)->save(store, state);
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle state, std::uint32_t, const LV2_Feature* const*) {
    return self(handle)->restore(retrieve, state);
}

LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle responseHandle, std::uint32_t size,
                       const void* data) {
    return self(handle)->work(respond, responseHandle, size, data);
}

// The tuning reaches the instrument through its own handover; the response carries only the
// names the notify port tells.
LV2_Worker_Status workResponse(LV2_Handle handle, std::uint32_t size, const void* data) {
    self(handle)->workResponse(size, data);
    return LV2_WORKER_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state = {saveState, restoreState};
    static const LV2_Worker_Interface worker = {work, workResponse, nullptr};
    if (uri == nullptr) return nullptr;
    if (std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
    return std::strcmp(uri, LV2_WORKER__interface) == 0 ? &worker : nullptr;
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate,
                                    run,        deactivate,  cleanup,     extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
