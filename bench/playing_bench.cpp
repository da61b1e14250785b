// What the playing controls cost: 1 and 16 voices through renderReplacing in blocks of 512, on the
// instruction set chosen at load time. Held in their sustain at the classic values and with the
// vibrato at full wheel; and falling through a decay of seconds, on the Linear and the Natural
// curve, with and without the vibrato; and the same on the Clean oscillators, the others on the
// Classic ones. Held chords also on the narrower instruction sets.
#include <string>

#include "bench/bench_instrument.h"
#include "synth/engine_probe.h"

namespace {

enum class Playing { Classic, Linear, Natural, NaturalVibrato, CleanNaturalVibrato };

const char* playingName(Playing p) {
    switch (p) {
    case Playing::Classic:
        return "classic";
    case Playing::Linear:
        return "linear";
    case Playing::Natural:
        return "natural";
    case Playing::NaturalVibrato:
        return "natural_vibrato";
    case Playing::CleanNaturalVibrato:
        return "clean_natural_vibrato";
    }
    return "";
}

// Notes spread over five octaves, as in heldInstrument.
void playNotes(Instrument& instrument, std::int32_t voices) {
    for (std::int32_t i = 0; i < voices; ++i)
        instrument.midiEvent(0x90, static_cast<std::uint8_t>(36 + (i * 19) % 60),
                             static_cast<std::uint8_t>(70 + i), 0);
}

// Decaying: no attack, and the longest decay stretched sixteen times (8 s) towards silence.
std::unique_ptr<Instrument> playingInstrument(Playing playing, bool decaying, std::int32_t voices) {
    auto instrument = std::make_unique<Instrument>();
    instrument->setSampleRate(static_cast<float>(kBenchRate));
    std::array<float, kControlCount> values =
        playing == Playing::Classic ? kClassicValues : kParameterDefaults;
    if (playing == Playing::Linear) values[EnvCurve] = LinearCurve;
    values[Oscillators] =
        playing == Playing::CleanNaturalVibrato ? CleanOscillators : ClassicOscillators;
    if (decaying) {
        values[Attack] = 0.0f;
        values[Decay] = 1.0f;
        values[Sustain] = 0.0f;
        values[EnvScale] = 16.0f;
    }
    instrument->loadValues(values);
    playNotes(*instrument, voices);
    if (playing == Playing::NaturalVibrato || playing == Playing::CleanNaturalVibrato)
        instrument->modWheel(127);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    for (int i = 0; i < 4; ++i)
        instrument->renderReplacing(left.data(), right.data(), kBenchBlock);
    return instrument;
}

// Decaying voices start afresh every 256 blocks (3 s), well within their decay; the restart's
// cost is spread over those blocks. `isa` < 0: the instruction set chosen at load time.
void renderPlaying(benchmark::State& state, Playing playing, bool decaying, std::int32_t voices,
                   int isa) {
    if (isa >= 0 && !renderIsaSupported(static_cast<RenderIsa>(isa)))
        return state.SkipWithError("the CPU lacks this instruction set");
    auto instrument = playingInstrument(playing, decaying, voices);
    std::vector<float> left(kBenchBlock), right(kBenchBlock);
    std::int32_t blocks = 0;
    for (auto _ : state) {
        if (decaying && ++blocks % 256 == 0) {
            instrument->allSoundOff();
            playNotes(*instrument, voices);
        }
        if (isa < 0)
            instrument->renderReplacing(left.data(), right.data(), kBenchBlock);
        else
            EngineProbe::renderWith(*instrument, static_cast<RenderIsa>(isa), left.data(),
                                    right.data(), kBenchBlock, true);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    if (EngineProbe::engine(*instrument).soundingVoices() != voices)
        state.SkipWithError("voices ended during the run");
    state.SetLabel(renderIsaName(isa < 0 ? bestRenderIsa() : static_cast<RenderIsa>(isa)));
    reportPerFrame(state, kBenchBlock, voices);
}

const bool registered = [] {
    for (std::int32_t voices : {1, 16}) {
        const std::string count = "/" + std::to_string(voices);
        for (Playing p : {Playing::Classic, Playing::NaturalVibrato, Playing::CleanNaturalVibrato})
            benchmark::RegisterBenchmark(
                (std::string("playing/held/") + playingName(p) + count).c_str(), renderPlaying, p,
                false, voices, -1);
        for (Playing p : {Playing::Linear, Playing::Natural, Playing::NaturalVibrato,
                          Playing::CleanNaturalVibrato})
            benchmark::RegisterBenchmark(
                (std::string("playing/decaying/") + playingName(p) + count).c_str(), renderPlaying,
                p, true, voices, -1);
    }
    // Held chords on the narrower instruction sets, as CPUs without the wider ones run them
    // (registered whatever the CPU: what it offers is known only once the library is loaded).
    for (RenderIsa isa : {RenderIsa::Sse2, RenderIsa::Avx2})
        for (Playing p : {Playing::Classic, Playing::NaturalVibrato, Playing::CleanNaturalVibrato})
            benchmark::RegisterBenchmark(
                (std::string("playing/held/") + playingName(p) + "/16/" + renderIsaName(isa))
                    .c_str(),
                renderPlaying, p, false, 16, static_cast<int>(isa));
    return true;
}();

} // namespace
