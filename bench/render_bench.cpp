// The render's cost: 0, 1, 4, 8 and 16 held voices, three patches, on every instruction set the
// CPU offers and with the reference render; and the whole instrument as a host calls it (the VST 2
// build: not on the Clean oscillators).
#include <cstring>

#include "bench/bench_instrument.h"
#include "host/vst2_event_list.h"
#include "host/vst2_quiet_host.h"
#include "plugin/vst2/avst_xsynth.h"
#include "synth/engine_probe.h"

namespace {

constexpr std::int32_t kVoiceCounts[] = {0, 1, 4, 8, 16};

// isa < 0: the reference render.
void renderEngine(benchmark::State& state, Patch patch, std::int32_t voices, int isa) {
    auto instrument = heldInstrument(patch, voices);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    for (auto _ : state) {
        std::memset(left.data(), 0, sizeof(float) * kBenchBlock);
        std::memset(right.data(), 0, sizeof(float) * kBenchBlock);
        if (isa < 0)
            EngineProbe::renderReference(*instrument, left.data(), right.data(), kBenchBlock);
        else
            EngineProbe::renderWith(*instrument, static_cast<RenderIsa>(isa), left.data(),
                                    right.data(), kBenchBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    if (EngineProbe::engine(*instrument).soundingVoices() != voices)
        state.SkipWithError("voices ended during the run");
    reportPerFrame(state, kBenchBlock, voices);
}

// processReplacing through the effect record, with the instruction set chosen at load time.
void renderInstrument(benchmark::State& state, Patch patch, std::int32_t voices) {
    auto synth = std::make_unique<AVstXSynth>(quietVst2Host, nullptr);
    AEffect* effect = synth->getAeffect();
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        effect->setParameter(effect, index, patchValue(patch, index));
    std::vector<BlockMessage> notes(static_cast<std::size_t>(voices));
    for (std::int32_t i = 0; i < voices; ++i) {
        BlockMessage& note = notes[static_cast<std::size_t>(i)];
        note.bytes[0] = 0x90;
        note.bytes[1] = static_cast<std::uint8_t>(36 + (i * 19) % 60);
        note.bytes[2] = static_cast<std::uint8_t>(70 + i);
    }
    VstEventList events;
    if (VstEvents* list = events.fill(notes))
        effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    float* outs[2] = {left.data(), right.data()};
    for (int i = 0; i < 4; ++i)
        effect->processReplacing(effect, nullptr, outs, kBenchBlock);
    for (auto _ : state) {
        effect->processReplacing(effect, nullptr, outs, kBenchBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, kBenchBlock, voices);
}

// Registered by hand so that the names say what runs: render/<patch>/<voices>/<set>.
const bool registered = [] {
    for (Patch patch : {Patch::Default, Patch::FullResonant, Patch::Clean})
        for (std::int32_t voices : kVoiceCounts) {
            const std::string base = std::string(patchName(patch)) + "/" + std::to_string(voices);
            benchmark::RegisterBenchmark(("render/" + base + "/reference").c_str(), renderEngine,
                                         patch, voices, -1);
            for (std::int32_t isa = 0; isa < kRenderIsaCount; ++isa)
                if (renderIsaSupported(static_cast<RenderIsa>(isa)))
                    benchmark::RegisterBenchmark(
                        ("render/" + base + "/" + renderIsaName(static_cast<RenderIsa>(isa)))
                            .c_str(),
                        renderEngine, patch, voices, isa);
            if (patch != Patch::Clean)
                benchmark::RegisterBenchmark(("instrument/" + base).c_str(), renderInstrument,
                                             patch, voices);
        }
    return true;
}();

} // namespace
