// What a pitch move costs: 16 held voices rendered in blocks of 32, with the bend moving before
// every block or left still, on the Classic and the Clean oscillators. Each move retunes every
// voice; on Clean it also chooses each voice's table. What the Clean move costs beyond the
// Classic one, (clean/moving - clean/still) - (classic/moving - classic/still), bounds that
// choice's cost, within the spread between runs.
#include <string>

#include "bench/bench_instrument.h"

namespace {

constexpr std::int32_t kMoveBlock = 32;
constexpr std::int32_t kMoveVoices = 16;

void renderMoving(benchmark::State& state, Patch patch, bool moving) {
    auto instrument = heldInstrument(patch, kMoveVoices);
    std::vector<float> left(kMoveBlock), right(kMoveBlock);
    std::uint8_t bend = 64;
    for (auto _ : state) {
        if (moving) {
            // Between the centre and a step up, a few cents: most voices keep their tables.
            bend = bend == 64 ? 65 : 64;
            instrument->pitchBend(static_cast<std::uint16_t>(bend << 7));
        }
        instrument->renderReplacing(left.data(), right.data(), kMoveBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    if (EngineProbe::engine(*instrument).soundingVoices() != kMoveVoices)
        state.SkipWithError("voices ended during the run");
    reportPerFrame(state, kMoveBlock, kMoveVoices);
}

const bool registered = [] {
    for (Patch patch : {Patch::Default, Patch::Clean})
        for (bool moving : {false, true})
            benchmark::RegisterBenchmark((std::string("pitch_move/") +
                                          (patch == Patch::Clean ? "clean" : "classic") +
                                          (moving ? "/moving" : "/still"))
                                             .c_str(),
                                         renderMoving, patch, moving);
    return true;
}();

} // namespace
