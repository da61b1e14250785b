// Random host traffic for the hardening tests: MIDI for each block, block sizes, parameter
// writes and program operations, drawn from a seeded generator. Nothing here allocates once
// constructed, so it can run inside the allocation counter's scope.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "plugin/vst2/aeffectx.h"

class Random {
  public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t next(); // splitmix64
    std::int32_t below(std::int32_t n) {
        return static_cast<std::int32_t>(next() % std::uint64_t(n));
    }
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1 << 24); }
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }

  private:
    std::uint64_t state;
};

// A host's event list with room for kCapacity events, reused block after block.
class EventBlock {
  public:
    static constexpr int kCapacity = 256;

    EventBlock();
    EventBlock(const EventBlock&) = delete;
    EventBlock& operator=(const EventBlock&) = delete;

    void clear() { list.numEvents = 0; }
    void add(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, std::int32_t deltaFrames,
             VstInt32 type = kVstMidiType);
    int size() const { return list.numEvents; }
    VstEvents* events() { return reinterpret_cast<VstEvents*>(&list); }
    // Sends the list with effProcessEvents; returns the answer.
    VstIntPtr sendTo(AEffect* effect) {
        return effect->dispatcher(effect, effProcessEvents, 0, 0, events(), 0.0f);
    }

  private:
    // Laid out as VstEvents, with as many pointers as there can be events.
    struct List {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kCapacity];
    };
    static_assert(offsetof(List, events) == offsetof(VstEvents, events));

    std::array<VstMidiEvent, kCapacity> storage{};
    List list{};
};

// Up to `maxEvents` events for a block of `frames`: mostly notes, then pitch bends, now and then
// controller 126, other messages and events of other types, which the instrument skips. Offsets
// lie in the block, a few beyond it or negative.
void addRandomMidi(Random& random, EventBlock& block, std::int32_t frames, int maxEvents);

// Block sizes as hosts use them, odd ones included: 1, primes, 4095, and any size up to 4096.
std::int32_t randomBlockSize(Random& random);

// One to four parameters set to values in 0 to 1 through the record's entry.
void randomParameterWrites(Random& random, AEffect* effect);

// Selects, copies or renames a program, as a host's program menu does.
void randomProgramOperation(Random& random, AEffect* effect);

inline VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}
