#include "tools/render/block_events.h"

#include <limits>

BlockEvents::BlockEvents(const std::vector<TimedMessage>& timed) {
    frames.reserve(timed.size());
    messages.reserve(timed.size());
    for (const TimedMessage& m : timed) {
        BlockMessage message;
        for (int i = 0; i < 3; ++i)
            message.bytes[i] = m.bytes[i];
        message.size = m.size;
        if (!m.sysex.empty()) {
            // Each message's bytes keep their place when the list of them grows.
            sysex.push_back(m.sysex);
            message.sysex = sysex.back().data();
            message.sysexSize = static_cast<std::uint32_t>(sysex.back().size());
        }
        messages.push_back(message);
        frames.push_back(m.frame);
    }
}

std::int64_t BlockEvents::firstEventAfter(std::int64_t frame) const {
    for (std::size_t i = cursor; i < frames.size(); ++i)
        if (frames[i] > frame) return frames[i];
    return std::numeric_limits<std::int64_t>::max();
}

std::span<const BlockMessage> BlockEvents::next(std::int64_t start, std::int32_t frameCount) {
    // Messages before `start` belong to no block that is still to come; they cannot occur when
    // blocks are asked for in order from frame 0. Those of the block lie together, by frame.
    std::size_t first = cursor;
    while (cursor < frames.size() && frames[cursor] < start + frameCount) {
        if (frames[cursor] < start)
            first = cursor + 1;
        else
            messages[cursor].offset = static_cast<std::int32_t>(frames[cursor] - start);
        ++cursor;
    }
    return {messages.data() + first, cursor - first};
}
