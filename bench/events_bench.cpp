// processEvents with a full list: note-ons, note-offs, pitch bends and controllers, as a busy
// block of a dense MIDI file delivers them.
#include "bench/bench_instrument.h"
#include "host/vst2_event_list.h"
#include "host/vst2_quiet_host.h"
#include "plugin/vst2/avst_xsynth.h"

namespace {

constexpr std::int32_t kListSize = 256;

void processEvents(benchmark::State& state) {
    auto synth = std::make_unique<AVstXSynth>(quietVst2Host, nullptr);
    AEffect* effect = synth->getAeffect();
    std::vector<BlockMessage> messages(kListSize);
    for (std::int32_t i = 0; i < kListSize; ++i) {
        BlockMessage& m = messages[static_cast<std::size_t>(i)];
        m.offset = (i * 2) % kBenchBlock;
        const int note = 36 + (i * 7) % 60;
        switch (i % 8) {
        case 0:
        case 1:
        case 2: // note on
            m.bytes[0] = 0x90;
            m.bytes[1] = static_cast<std::uint8_t>(note);
            m.bytes[2] = static_cast<std::uint8_t>(40 + i % 80);
            break;
        case 3:
        case 4:
        case 5: // note off, as status 0x80 and as a note-on with velocity 0
            m.bytes[0] = i % 2 ? 0x80 : 0x90;
            m.bytes[1] = static_cast<std::uint8_t>(36 + ((i - 3) * 7) % 60);
            break;
        case 6: // pitch bend
            m.bytes[0] = 0xE0;
            m.bytes[2] = static_cast<std::uint8_t>((i * 5) % 128);
            break;
        default: // a controller the instrument ignores
            m.bytes[0] = 0xB0;
            m.bytes[1] = 1;
            m.bytes[2] = static_cast<std::uint8_t>(i % 128);
            break;
        }
    }
    VstEventList events;
    VstEvents* list = events.fill(messages);
    for (auto _ : state) {
        effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0);
        benchmark::ClobberMemory();
    }
    state.counters["per_event"] = benchmark::Counter(
        kListSize, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(processEvents)->Name("processEvents/full_list_256");

} // namespace
