// The messages of each block, as a host hands them over: every message whose frame falls inside
// the block, with its offset counted from the block's first frame.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/block_message.h"
#include "tools/render/midi_timeline.h"

class BlockEvents {
  public:
    // Builds every message up front, so that handing out blocks allocates nothing.
    explicit BlockEvents(const std::vector<TimedMessage>& messages);

    // The messages of the block [start, start + frames), empty when it has none; valid until the
    // next call. Blocks are asked for in order, each starting where the previous one ended.
    std::span<const BlockMessage> next(std::int64_t start, std::int32_t frames);
    // The frame of the first message after `frame` not yet handed out, or INT64_MAX.
    std::int64_t firstEventAfter(std::int64_t frame) const;
    // Starts again from frame 0, for another render of the same piece.
    void rewind() { cursor = 0; }

  private:
    std::vector<std::int64_t> frames;             // of each message
    std::vector<BlockMessage> messages;           // by frame
    std::vector<std::vector<std::uint8_t>> sysex; // what messages' sysex points into
    std::size_t cursor = 0;                       // first message not yet handed out
};
