// Fuzzes the CLAP front as a host could drive it: any sample rate; blocks of any size with or
// without usable outputs; event lists of every type with any size, time, space and content
// (parameter values that are not numbers, infinite or huge; notes with any key, channel and id);
// flushes; saved states that are noise, start like a bank, or are the instance's own cut
// anywhere, read through streams of any piece size that may fail anywhere; the parameters' text
// both ways; resets and reactivations. Every event is allocated at exactly the size its header
// gives, every output between guards, so that a read or write past either is caught.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/clap_plugin.h"
#include "plugin/clap/clap_abi.h"
#include "tests/fuzz/fuzz_host.h"
#include "tests/fuzz/guarded_buffer.h"

extern "C" const clap::PluginEntry clap_entry;

namespace {

constexpr int kMaxSteps = 24;
constexpr std::uint32_t kMaxFrames = 4096;
constexpr std::size_t kMaxEvents = 16;
const std::string kBankHeader = "ulvodraw-bank ";

// A double from a float of FuzzInput's (special values among them) or any 64 bits.
double anyDouble(FuzzInput& in) {
    if (in.byte() < 160) return in.anyFloat();
    const std::uint64_t bits = in.u64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int16_t anyShort(FuzzInput& in) {
    return static_cast<std::int16_t>(in.anyInt());
}

// The size each event type has in the format; 16 (a header) for types it does not know.
std::size_t naturalSize(std::uint16_t type) {
    switch (type) {
    case clap::kEventNoteOn:
    case clap::kEventNoteOff:
    case clap::kEventNoteChoke:
    case clap::kEventNoteEnd:
        return sizeof(clap::EventNote);
    case clap::kEventNoteExpression:
        return sizeof(clap::EventNoteExpression);
    case clap::kEventParamValue:
        return sizeof(clap::EventParamValue);
    case clap::kEventParamMod:
        return sizeof(clap::EventParamMod);
    case clap::kEventParamGestureBegin:
    case clap::kEventParamGestureEnd:
        return sizeof(clap::EventParamGesture);
    case clap::kEventMidi:
        return sizeof(clap::EventMidi);
    case clap::kEventMidiSysex:
        return sizeof(clap::EventMidiSysex);
    case clap::kEventMidi2:
        return sizeof(clap::EventMidi2);
    default:
        return sizeof(clap::EventHeader);
    }
}

// A host's event list: each event in an allocation of its own, exactly as large as its header
// says.
class FuzzedEvents {
  public:
    explicit FuzzedEvents(FuzzInput& in) {
        const std::size_t count = in.byte() % (kMaxEvents + 1);
        for (std::size_t i = 0; i < count; ++i)
            events.push_back(event(in));
    }
    const clap::InputEvents* list() const { return &input; }

  private:
    std::unique_ptr<GuardedBytes> event(FuzzInput& in) {
        const auto type = static_cast<std::uint16_t>(in.byte() % 14);
        const std::size_t natural = naturalSize(type);
        const std::uint8_t sizing = in.byte();
        const std::size_t size = sizing < 200   ? natural
                                 : sizing < 230 ? sizeof(clap::EventHeader) + sizing % natural
                                                : natural + sizing % 40;
        clap::EventParamValue fields{}; // the largest event this front reads
        static_assert(sizeof fields >= sizeof(clap::EventNoteExpression));
        fields.header.size = static_cast<std::uint32_t>(size);
        fields.header.time = (in.byte() & 1) != 0 ? in.u32() : in.u16() % (kMaxFrames + 100);
        fields.header.spaceId = in.byte() % 16 == 0 ? in.u16() : clap::kCoreEventSpace;
        fields.header.type = type;
        fields.header.flags = in.byte();
        std::uint8_t body[sizeof fields];
        std::memcpy(body, &fields, sizeof fields);
        auto* bytes = body + sizeof(clap::EventHeader);
        switch (type) {
        case clap::kEventNoteOn:
        case clap::kEventNoteOff:
        case clap::kEventNoteChoke:
        case clap::kEventNoteEnd: {
            clap::EventNote note{};
            note.header = fields.header;
            note.noteId = in.anyInt();
            note.portIndex = anyShort(in);
            note.channel = in.byte() % 4 == 0 ? anyShort(in) : -1 + in.byte() % 17;
            note.key = in.byte() % 4 == 0 ? anyShort(in) : -1 + in.byte() % 129;
            note.velocity = anyDouble(in);
            std::memcpy(body, &note, sizeof note);
            break;
        }
        case clap::kEventParamValue:
        case clap::kEventParamMod:
            fields.paramId = in.byte() % 4 == 0 ? in.u32() : in.byte() % 26;
            fields.noteId = in.byte() % 8 == 0 ? in.anyInt() : -1;
            fields.portIndex = fields.channel = -1;
            fields.key = in.byte() % 8 == 0 ? anyShort(in) : -1;
            fields.value = anyDouble(in);
            std::memcpy(body, &fields, sizeof fields);
            break;
        case clap::kEventMidiSysex: {
            clap::EventMidiSysex sysex{};
            sysex.header = fields.header;
            sysex.buffer = nullptr; // what the plug-in could read is not ours to vouch for
            sysex.size = in.u32();
            std::memcpy(body, &sysex, sizeof sysex);
            break;
        }
        default:
            for (std::size_t i = 0; i + sizeof(clap::EventHeader) < sizeof body; ++i)
                bytes[i] = in.byte();
            break;
        }
        auto event = std::make_unique<GuardedBytes>(size);
        std::memcpy(event->data(), body, std::min(size, sizeof body));
        for (std::size_t i = sizeof body; i < size; ++i)
            event->data()[i] = in.byte();
        return event;
    }

    static std::uint32_t size(const clap::InputEvents* list) {
        return static_cast<std::uint32_t>(
            static_cast<const FuzzedEvents*>(list->ctx)->events.size());
    }
    static const clap::EventHeader* get(const clap::InputEvents* list, std::uint32_t index) {
        const auto& self = *static_cast<const FuzzedEvents*>(list->ctx);
        if (index >= self.events.size()) return nullptr;
        return reinterpret_cast<const clap::EventHeader*>(self.events[index]->data());
    }

    std::vector<std::unique_ptr<GuardedBytes>> events;
    clap::InputEvents input{this, size, get};
};

// The plug-in in the host library's CLAP host, as a host of one thread without an editor.
class Session {
  public:
    explicit Session(const clap::PluginFactory& factory)
        : hosted(factory, factory.getPluginDescriptor(&factory, 0)->id, "fuzz", "fuzz",
                 {.threadCheck = true, .windowing = false, .keepSentValues = false}),
          plugin(hosted.plugin), params(hosted.params) {
        fuzzCheck(params != nullptr && hosted.state != nullptr, "params and state are offered");
    }

    bool activate(double rate) { return hosted.activate(rate, kMaxFrames); }
    void deactivate() { hosted.deactivate(); }
    bool active() const { return hosted.active(); }
    void reset() { plugin->reset(plugin); }
    void onMainThread() { plugin->onMainThread(plugin); }

    std::string save(std::size_t piece) {
        const std::string written = hosted.save(piece);
        fuzzCheck(!written.empty(), "the state saves");
        fuzzCheck(written.compare(0, kBankHeader.size(), kBankHeader) == 0, "a saved bank");
        return written;
    }
    bool load(const std::string& text, std::size_t piece, std::size_t failAt) {
        return hosted.load(text, piece, failAt);
    }

    void process(FuzzInput& in) {
        const std::uint32_t frames = in.u16() % (kMaxFrames + 1);
        const std::uint8_t outputs = in.byte() % 8;
        const FuzzedEvents events(in);
        GuardedSamples left(kMaxFrames), right(kMaxFrames);
        float* channels[2] = {left.data(), right.data()};
        clap::AudioBuffer buffer{outputs == 2 ? nullptr : channels, nullptr, outputs == 1 ? 1u : 2u,
                                 0, 0};
        clap::Process process{
            -1,     frames, nullptr, nullptr, &buffer, 0, outputs == 0 ? 0u : 1u, events.list(),
            nullptr};
        const std::int32_t status = plugin->process(plugin, &process);
        const bool stereo = outputs > 2;
        fuzzCheck(status == (stereo ? clap::kProcessContinue : clap::kProcessError),
                  "a block with stereo outputs goes on, one without is an error");
        for (std::uint32_t i = 0; stereo && i < frames; ++i)
            fuzzCheck(std::isfinite(left.data()[i]) && std::isfinite(right.data()[i]),
                      "finite samples");
        fuzzCheck(left.guardsIntact() && right.guardsIntact(), "nothing written past the outputs");
    }

    void flush(FuzzInput& in) {
        const FuzzedEvents events(in);
        params->flush(plugin, events.list(), nullptr);
    }

    void loadState(FuzzInput& in) {
        const std::uint8_t kind = in.byte() % 3;
        std::string text;
        if (kind == 2) {
            text = save(1 << 16);
            const std::size_t cut = in.u16();
            if (cut < text.size()) text.resize(cut);
        } else {
            text.resize(in.byte() % 200);
            for (char& c : text)
                c = static_cast<char>(in.byte());
            if (kind == 1) text = kBankHeader + "1\ncurrent " + text;
        }
        const std::size_t piece = 1 + in.byte() % 64;
        const bool failing = in.byte() % 4 == 0;
        const std::size_t failAt = failing ? in.u16() % (text.size() + 1) : std::string::npos;
        const std::string before = save(1 << 16);
        const bool taken = load(text, piece, failAt);
        if (failing) {
            fuzzCheck(!taken, "a failing stream restores nothing");
            fuzzCheck(save(1 << 16) == before, "a failing stream changes nothing");
        }
        if (!taken && !failing && kind != 2)
            fuzzCheck(save(1 << 16) == before, "text that is not a bank changes nothing");
    }

    void saveState(FuzzInput& in) {
        const std::size_t piece = 1 + in.byte() % 200;
        fuzzCheck(save(piece) == save(1 << 16), "the state is the same in any piece size");
    }

    void texts(FuzzInput& in) {
        const auto id = static_cast<clap::Id>(in.byte() % 4 == 0 ? in.u32() : in.byte() % 26);
        const double value = anyDouble(in);
        const std::size_t capacity = in.byte() % 48;
        GuardedBytes text(capacity);
        const bool written =
            params->valueToText(plugin, id, value, reinterpret_cast<char*>(text.data()),
                                static_cast<std::uint32_t>(capacity));
        fuzzCheck(!written || std::memchr(text.data(), '\0', capacity) != nullptr,
                  "value text ends within the host's buffer");
        fuzzCheck(text.guardsIntact(), "nothing written past the value text");
        char typed[64];
        in.text(typed, sizeof typed);
        double back = 0;
        if (params->textToValue(plugin, id, typed, &back))
            fuzzCheck(std::isfinite(back), "text gives a finite value");
    }

    void checkValues() {
        for (clap::Id id = 0; id < 30; ++id) {
            double value = NAN;
            const bool known = params->getValue(plugin, id, &value);
            fuzzCheck(known == (id < params->count(plugin)), "a value for every parameter");
            fuzzCheck(!known || std::isfinite(value), "finite parameter values");
        }
    }

  private:
    ClapPlugin hosted;
    const clap::Plugin* plugin;
    const clap::PluginParams* params;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    fuzzCheck(clap_entry.init("fuzz"), "the entry initialises");
    const auto* factory =
        static_cast<const clap::PluginFactory*>(clap_entry.getFactory(clap::kPluginFactoryId));
    fuzzCheck(factory != nullptr && factory->getPluginCount(factory) == 1, "one plug-in");
    { // the plug-in goes before the entry is deinitialised
        Session session(*factory);

        const double rates[] = {44100, 48000, 8000, 192000, 1, 0, -44100, NAN, INFINITY, 1e12};
        const auto activate = [&] {
            const double rate = rates[in.byte() % 10];
            const bool active = session.activate(rate);
            fuzzCheck(active == (rate > 0 && rate < 1e9), "a usable rate activates");
        };
        activate();
        for (int step = 0; step < kMaxSteps && !in.done(); ++step) {
            switch (in.byte() % 8) {
            case 0:
            case 1:
            case 2:
                if (session.active()) session.process(in);
                break;
            case 3:
                session.flush(in);
                break;
            case 4:
                session.loadState(in);
                break;
            case 5:
                session.saveState(in);
                break;
            case 6:
                session.texts(in);
                break;
            default: {
                const std::uint8_t what = in.byte() % 3;
                if (what == 0 && session.active()) session.reset();
                if (what == 1) {
                    session.deactivate();
                    activate();
                }
                session.onMainThread();
                break;
            }
            }
            session.checkValues();
        }
    }
    clap_entry.deinit();
    return 0;
}
