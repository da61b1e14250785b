// One MIDI channel message, or one system exclusive message, of a block, as ulvo-render hands it to
// an instrument of any format.
#pragma once

#include <cstdint>

struct BlockMessage {
    std::int32_t offset = 0;    // frames after the block's first frame
    std::uint8_t bytes[3] = {}; // status, data 1, data 2 (0 when unused)
    std::uint8_t size = 3;      // bytes used: 2 for program change and channel pressure
    // A whole system exclusive message (F0 to F7) in place of the bytes above; null otherwise.
    const std::uint8_t* sysex = nullptr;
    std::uint32_t sysexSize = 0;
};
