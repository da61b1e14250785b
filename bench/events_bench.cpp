// processEvents with a full list: note-ons, note-offs, pitch bends and controllers, as a busy
// block of a dense MIDI file delivers them.
#include "bench/bench_instrument.h"
#include "plugin/vst2/avst_xsynth.h"

namespace {

constexpr std::int32_t kListSize = 256;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

void processEvents(benchmark::State& state) {
    auto synth = std::make_unique<AVstXSynth>(hostCallback, nullptr);
    AEffect* effect = synth->getAeffect();
    std::vector<VstMidiEvent> events(kListSize);
    std::vector<char> storage(sizeof(VstEvents) + kListSize * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = kListSize;
    for (std::int32_t i = 0; i < kListSize; ++i) {
        VstMidiEvent& e = events[static_cast<std::size_t>(i)];
        e = VstMidiEvent{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = (i * 2) % kBenchBlock;
        const int note = 36 + (i * 7) % 60;
        switch (i % 8) {
        case 0:
        case 1:
        case 2: // note on
            e.midiData[0] = static_cast<char>(0x90);
            e.midiData[1] = static_cast<char>(note);
            e.midiData[2] = static_cast<char>(40 + i % 80);
            break;
        case 3:
        case 4:
        case 5: // note off, as status 0x80 and as a note-on with velocity 0
            e.midiData[0] = static_cast<char>(i % 2 ? 0x80 : 0x90);
            e.midiData[1] = static_cast<char>(36 + ((i - 3) * 7) % 60);
            e.midiData[2] = 0;
            break;
        case 6: // pitch bend
            e.midiData[0] = static_cast<char>(0xE0);
            e.midiData[2] = static_cast<char>((i * 5) % 128);
            break;
        default: // a controller the instrument ignores
            e.midiData[0] = static_cast<char>(0xB0);
            e.midiData[1] = 1;
            e.midiData[2] = static_cast<char>(i % 128);
            break;
        }
        list->events[i] = reinterpret_cast<VstEvent*>(&e);
    }
    for (auto _ : state) {
        effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0);
        benchmark::ClobberMemory();
    }
    state.counters["per_event"] = benchmark::Counter(
        kListSize, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(processEvents)->Name("processEvents/full_list_256");

} // namespace
