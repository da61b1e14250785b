// The render's cost as a host calls it, block by block with cleared buffers: block sizes 16 to
// 2048 at 1 and 8 held voices, and 1 to 16 held voices at blocks of 512, on the instruction set
// chosen at load time. Every iteration renders the same 2048 frames, so the figures per frame
// compare across block sizes.
#include <cstring>

#include "bench/bench_instrument.h"
#include "synth/engine_probe.h"

namespace {

constexpr std::int32_t kFramesPerIteration = 2048;

void renderBlocks(benchmark::State& state, std::int32_t voices, std::int32_t block) {
    auto instrument = heldInstrument(Patch::Default, voices);
    std::vector<float> left(kFramesPerIteration), right(kFramesPerIteration);
    for (auto _ : state) {
        for (std::int32_t at = 0; at < kFramesPerIteration; at += block)
            instrument->renderReplacing(left.data() + at, right.data() + at, block);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    if (EngineProbe::engine(*instrument).soundingVoices() != voices)
        state.SkipWithError("voices ended during the run");
    state.SetLabel(renderIsaName(bestRenderIsa()));
    reportPerFrame(state, kFramesPerIteration, voices);
}

const bool registered = [] {
    for (std::int32_t voices : {1, 8})
        for (std::int32_t block = 16; block <= kFramesPerIteration; block *= 2)
            benchmark::RegisterBenchmark(
                ("blocks/" + std::to_string(voices) + "_voices/" + std::to_string(block)).c_str(),
                renderBlocks, voices, block);
    for (std::int32_t voices = 1; voices <= 16; ++voices)
        benchmark::RegisterBenchmark(("voices/" + std::to_string(voices) + "/512").c_str(),
                                     renderBlocks, voices, kBenchBlock);
    return true;
}();

} // namespace
