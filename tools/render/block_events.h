// The events of each block, as a host hands them over: every message whose frame falls inside
// the block, with `deltaFrames` counted from the block's first frame.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/vst2/aeffectx.h"
#include "tools/render/midi_timeline.h"

class BlockEvents {
  public:
    // Builds every event up front and sizes the list for the busiest block of `blockSize`, so
    // that handing out blocks allocates nothing.
    BlockEvents(const std::vector<TimedMessage>& messages, std::int32_t blockSize);
    ~BlockEvents();
    BlockEvents(const BlockEvents&) = delete;
    BlockEvents& operator=(const BlockEvents&) = delete;

    // The events of the block [start, start + frames), or null when it has none. Blocks are
    // asked for in order, each starting where the previous one ended.
    VstEvents* next(std::int64_t start, std::int32_t frames);
    // The frame of the first event after `frame` not yet handed out, or INT64_MAX.
    std::int64_t firstEventAfter(std::int64_t frame) const;
    // Starts again from frame 0, for another render of the same piece.
    void rewind() { cursor = 0; }

  private:
    std::vector<std::int64_t> frames; // of each event
    std::vector<VstMidiEvent> events; // by frame
    VstEvents* list = nullptr;        // header followed by room for the busiest block's pointers
    std::size_t cursor = 0;           // first event not yet handed out
};
