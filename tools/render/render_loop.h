// The block loop of a render: each block's events, then its audio, for the whole piece.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/hosted_instrument.h"
#include "tools/render/block_events.h"

// Receives each block's output buffers, one per channel, and the block's frame count.
using BlockSink = std::function<void(const float* const* channels, std::int32_t frames)>;
// Told the number of frames rendered so far after every block.
using ProgressSink = std::function<void(std::int64_t framesDone)>;

struct RenderRun {
    std::int64_t totalFrames = 0;
    std::int32_t blockSize = 512;
    // Ends a block early where an event falls, so that every event starts a block and the
    // instrument's responses at block starts come on the event's own frame.
    bool exactEvents = false;
    BlockSink sink;                          // may be empty
    ProgressSink progress;                   // may be empty
    const std::atomic<bool>* stop = nullptr; // checked between blocks; may be null
};

// Renders `run.totalFrames` frames from a switched-on instrument, the last block shorter when
// the length is not a multiple of the block size (and blocks cut at events for `exactEvents`).
// Returns false when stopped early.
bool renderBlocks(HostedInstrument& instrument, BlockEvents& events, const RenderRun& run);
