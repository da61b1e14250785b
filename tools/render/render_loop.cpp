#include "tools/render/render_loop.h"

#include <algorithm>

namespace {

// Buffers of one block for every channel, and the pointer arrays the interface passes.
struct Buffers {
    Buffers(std::int32_t count, std::int32_t frames)
        : data(static_cast<std::size_t>(std::max(count, 1)),
               std::vector<float>(static_cast<std::size_t>(frames))) {
        for (auto& channel : data)
            pointers.push_back(channel.data());
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

} // namespace

bool renderBlocks(HostedInstrument& instrument, BlockEvents& events, const RenderRun& run) {
    Buffers inputs(instrument.inputCount(), run.blockSize);
    Buffers outputs(instrument.outputCount(), run.blockSize);
    std::int32_t frames = 0;
    for (std::int64_t start = 0; start < run.totalFrames; start += frames) {
        if (run.stop != nullptr && run.stop->load(std::memory_order_relaxed)) return false;
        std::int64_t end = std::min(start + run.blockSize, run.totalFrames);
        if (run.exactEvents) end = std::min(end, events.firstEventAfter(start));
        frames = static_cast<std::int32_t>(end - start);
        // Inputs stay silent; refilled in case the instrument used them as scratch space.
        if (instrument.inputCount() > 0)
            for (auto& channel : inputs.data)
                std::fill(channel.begin(), channel.end(), 0.0f);
        instrument.sendEvents(events.next(start, frames));
        instrument.render(inputs.pointers.data(), outputs.pointers.data(), frames);
        if (run.sink) run.sink(outputs.pointers.data(), frames);
        if (run.progress) run.progress(start + frames);
    }
    return true;
}
