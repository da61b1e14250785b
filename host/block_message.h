// One MIDI channel message, or one system exclusive message, of a block, as a host of this library
// hands it to an instrument of any format.
#pragma once

#include <cstdint>

struct BlockMessage {
    // Frames after the block's first frame; 64 bits, as an LV2 event's time, which a host may
    // put anywhere, past the block's end too.
    std::int64_t offset = 0;
    std::uint8_t bytes[3] = {}; // status, data 1, data 2 (0 when unused)
    std::uint8_t size = 3;      // bytes used: 2 for program change and channel pressure
    // A whole system exclusive message (F0 to F7) in place of the bytes above; null otherwise.
    const std::uint8_t* sysex = nullptr;
    std::uint32_t sysexSize = 0;
};
