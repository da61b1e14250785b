#include "tests/hardening/host_traffic.h"

#include <cstdio>

std::uint64_t Random::next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

EventBlock::EventBlock() {
    for (int i = 0; i < kCapacity; ++i)
        list.events[i] = reinterpret_cast<VstEvent*>(&storage[i]);
}

void EventBlock::add(std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                     std::int32_t deltaFrames, VstInt32 type) {
    if (list.numEvents >= kCapacity) return;
    VstMidiEvent& e = storage[static_cast<std::size_t>(list.numEvents++)];
    e = VstMidiEvent{};
    e.type = type;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = deltaFrames;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
}

void addRandomMidi(Random& random, EventBlock& block, std::int32_t frames, int maxEvents) {
    const int count = random.chance(0.6) ? random.below(4) : random.below(maxEvents + 1);
    for (int i = 0; i < count; ++i) {
        std::int32_t delta = frames > 0 ? random.below(frames) : 0;
        if (random.chance(0.03)) delta = frames + random.below(2000);
        if (random.chance(0.01)) delta = -1 - random.below(100);
        const auto channel = static_cast<std::uint8_t>(random.below(16));
        // Most notes in the middle of the keyboard, so that note-offs find their voices.
        const auto note = static_cast<std::uint8_t>(random.chance(0.9) ? 36 + random.below(48)
                                                                       : random.below(128));
        const std::int32_t kind = random.below(1000);
        if (kind < 420) {
            block.add(0x90 | channel, note, static_cast<std::uint8_t>(1 + random.below(127)),
                      delta);
        } else if (kind < 800) {
            if (random.chance(0.5))
                block.add(0x80 | channel, note, static_cast<std::uint8_t>(random.below(128)),
                          delta);
            else
                block.add(0x90 | channel, note, 0, delta);
        } else if (kind < 900) {
            block.add(0xE0 | channel, static_cast<std::uint8_t>(random.below(128)),
                      static_cast<std::uint8_t>(random.below(128)), delta);
        } else if (kind < 905) {
            block.add(0xB0 | channel, 126, 0, delta);
        } else if (kind < 950) {
            block.add(0xB0 | channel, static_cast<std::uint8_t>(random.below(126)),
                      static_cast<std::uint8_t>(random.below(128)), delta);
        } else if (kind < 980) {
            constexpr std::uint8_t kOthers[] = {0xA0, 0xC0, 0xD0, 0xF0};
            block.add(kOthers[random.below(4)] | channel, note, 64, delta);
        } else {
            // Another event type with note-on bytes: the instrument must skip it.
            block.add(0x90, note, 100, delta, 2 + random.below(8));
        }
    }
}

std::int32_t randomBlockSize(Random& random) {
    constexpr std::int32_t kHostSizes[] = {1,   2,    3,    7,    31,   32,   63,   64,   100,
                                           127, 128,  129,  255,  256,  441,  480,  511,  512,
                                           997, 1023, 1024, 1025, 2047, 2048, 3001, 4095, 4096};
    if (random.chance(0.7))
        return kHostSizes[random.below(sizeof kHostSizes / sizeof kHostSizes[0])];
    return 1 + random.below(4096);
}

void randomParameterWrites(Random& random, AEffect* effect) {
    const int count = 1 + random.below(4);
    for (int i = 0; i < count; ++i)
        effect->setParameter(effect, random.below(16), random.unit());
}

void randomProgramOperation(Random& random, AEffect* effect) {
    switch (random.below(4)) {
    case 0:
    case 1:
        dispatch(effect, effSetProgram, 0, random.below(32));
        break;
    case 2:
        dispatch(effect, effCopyProgram, random.below(32));
        break;
    default: {
        char name[24];
        std::snprintf(name, sizeof name, "take %d", static_cast<int>(random.below(1000)));
        dispatch(effect, effSetProgramName, 0, 0, name);
        break;
    }
    }
}
