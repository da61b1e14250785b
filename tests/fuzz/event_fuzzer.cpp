// Fuzzes the event intake: lists of any length, with events of any type, any bytes and any
// frame offset, and null entries among them, each followed by renders. The intake must answer 1,
// leave the host's list as it was, and read nothing beyond it: the list and every event are
// allocated at their exact size, so AddressSanitizer sees any read past them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/fuzz/fuzz_host.h"

namespace {

constexpr int kMaxCallsPerInput = 64;
constexpr std::int32_t kMaxFramesPerInput = 3 * 4096;
constexpr std::size_t kEventBytes = sizeof(VstMidiEvent);

std::int32_t eventCount(FuzzInput& in) {
    const std::uint8_t b = in.byte();
    if (b < 240) return b % 96;
    switch (b) {
    case 240:
        return 0;
    case 241:
        return -1;
    case 242:
        return static_cast<std::int32_t>(0x80000000);
    default:
        return 96 + in.u16() % 929; // up to 1024 events
    }
}

// A list as a host builds it: the header, then exactly `count` event pointers.
struct HostList {
    std::vector<std::unique_ptr<std::uint8_t[]>> events; // null entries stay null
    std::unique_ptr<std::uint8_t[]> list;
    std::size_t listBytes = 0;
    std::vector<std::uint8_t> snapshot; // every byte the host gave, to prove nothing changed

    void takeSnapshot() {
        snapshot.assign(list.get(), list.get() + listBytes);
        for (const auto& e : events)
            if (e) snapshot.insert(snapshot.end(), e.get(), e.get() + kEventBytes);
    }
    bool unchanged() const {
        std::vector<std::uint8_t> now(list.get(), list.get() + listBytes);
        for (const auto& e : events)
            if (e) now.insert(now.end(), e.get(), e.get() + kEventBytes);
        return now == snapshot;
    }
};

void fillEvent(std::uint8_t* bytes, FuzzInput& in) {
    VstInt32 type = kVstMidiType;
    const std::uint8_t pick = in.byte();
    if (pick >= 224) type = static_cast<VstInt32>(pick == 255 ? in.u32() : pick - 224);
    const VstInt32 byteSize = static_cast<VstInt32>(in.u32());
    const VstInt32 deltaFrames = (in.byte() & 1) != 0 ? in.anyInt() : in.frames();
    std::memcpy(bytes + offsetof(VstMidiEvent, type), &type, sizeof type);
    std::memcpy(bytes + offsetof(VstMidiEvent, byteSize), &byteSize, sizeof byteSize);
    std::memcpy(bytes + offsetof(VstMidiEvent, deltaFrames), &deltaFrames, sizeof deltaFrames);
    for (std::size_t i = offsetof(VstMidiEvent, flags); i < kEventBytes; ++i)
        bytes[i] = in.byte();
}

void sendList(AEffect* effect, FuzzInput& in) {
    HostList host;
    const std::int32_t count = eventCount(in);
    const std::size_t pointers = count > 0 ? static_cast<std::size_t>(count) : 0;
    for (std::size_t i = 0; i < pointers; ++i) {
        if (in.byte() % 16 == 0) {
            host.events.emplace_back();
            continue;
        }
        host.events.push_back(std::make_unique<std::uint8_t[]>(kEventBytes));
        fillEvent(host.events.back().get(), in);
    }
    host.listBytes = offsetof(VstEvents, events) + pointers * sizeof(VstEvent*);
    host.list = std::make_unique<std::uint8_t[]>(host.listBytes);
    std::memcpy(host.list.get() + offsetof(VstEvents, numEvents), &count, sizeof count);
    for (std::size_t i = 0; i < pointers; ++i) {
        VstEvent* event = reinterpret_cast<VstEvent*>(host.events[i].get());
        std::memcpy(host.list.get() + offsetof(VstEvents, events) + i * sizeof event, &event,
                    sizeof event);
    }
    host.takeSnapshot();
    const VstIntPtr answer = dispatch(effect, effProcessEvents, 0, 0, host.list.get());
    fuzzCheck(answer == 1, "processEvents answers 1");
    fuzzCheck(host.unchanged(), "the host's event list is left as it was");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    AEffect* effect = createFuzzedInstance();
    dispatch(effect, effMainsChanged, 0, 1);
    std::int32_t framesLeft = kMaxFramesPerInput;
    for (int call = 0; call < kMaxCallsPerInput && !in.done(); ++call) {
        switch (in.byte() % 6) {
        case 0:
        case 1:
        case 2:
            sendList(effect, in);
            break;
        case 3:
        case 4:
            if (framesLeft > 0) {
                const std::int32_t frames = renderChecked(effect, in);
                framesLeft -= frames > 0 ? frames : 1;
            }
            break;
        default:
            effect->setParameter(effect, in.byte() % 16, in.unitFloat());
            break;
        }
    }
    closeFuzzedInstance(effect);
    return 0;
}
