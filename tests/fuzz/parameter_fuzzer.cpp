// Fuzzes the parameter response: any float (NaN, infinities, subnormals, huge) into any
// parameter index, any sample rate, any program operation, with voices sounding and renders in
// between, and the editor polling them. Values are stored as given; what the render derives
// from them must stay usable, and the editor's controls within their ranges.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/vst2/avst_xsynth.h"
#include "synth/engine_probe.h"
#include "tests/fuzz/fuzz_host.h"
#include "tests/fuzz/guarded_buffer.h"

namespace {

constexpr int kMaxCallsPerInput = 96;
constexpr std::int32_t kMaxFramesPerInput = 3 * 4096;

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

AVstXSynth& synthOf(AEffect* effect) {
    return *static_cast<AVstXSynth*>(effect->object);
}

// What the render relies on, whatever values arrived.
void checkDerivedValues(AEffect* effect) {
    constexpr auto r = std::memory_order_relaxed;
    const EngineValues& v = EngineProbe::engine(synthOf(effect).getInstrument()).values();
    const std::int32_t mode = v.filterMode.load(r);
    const std::int32_t bank = v.activeBank.load(r);
    fuzzCheck(mode >= 0 && mode <= 3, "filter mode 0 to 3");
    fuzzCheck(bank >= 0 && bank < kBankCount, "one of the four banks");
    fuzzCheck(v.attackLength.load(r) >= 0 && v.decayLength.load(r) >= 0, "lengths not negative");
    fuzzCheck(v.releaseLength.load(r) >= 10, "release at least 10 samples");
    const float step = v.tableStep.load(r);
    fuzzCheck(std::isfinite(step) && step > 0.0f, "table step finite and positive");
    fuzzCheck(std::isfinite(v.sustainLevel.load(r)) && std::isfinite(v.envDepth.load(r)) &&
                  std::isfinite(v.smoothing.load(r)),
              "levels the render reads are finite");
    const float rate = synthOf(effect).getSampleRate();
    fuzzCheck(std::isfinite(rate) && rate > 0.0f, "sample rate usable");
}

VstInt32 anyIndex(FuzzInput& in) {
    const std::uint8_t b = in.byte();
    return b < 224 ? b % 16 : in.anyInt();
}

VstIntPtr anyProgram(FuzzInput& in) {
    const std::uint8_t b = in.byte();
    return b < 224 ? b % 32 : in.anyPointerSized();
}

void writeParameter(AEffect* effect, FuzzInput& in) {
    const VstInt32 index = anyIndex(in);
    const float value = in.anyFloat();
    effect->setParameter(effect, index, value);
    const float back = effect->getParameter(effect, index);
    if (index >= 0 && index < kParameterCount)
        fuzzCheck(sameBits(back, value), "a parameter reads back exactly as written");
    else
        fuzzCheck(back == 0.0f, "an index outside 0 to 15 reads 0");
}

void writeEveryParameter(AEffect* effect, FuzzInput& in) {
    for (VstInt32 index = 0; index < kParameterCount; ++index)
        effect->setParameter(effect, index, in.anyFloat());
}

void setSampleRate(AEffect* effect, FuzzInput& in) {
    if ((in.byte() & 1) != 0)
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, in.anyFloat());
    else
        fuzzCheck(dispatch(effect, effSetBlockSizeAndSampleRate, 0, in.anyInt(), nullptr,
                           in.anyFloat()) == 1,
                  "effSetBlockSizeAndSampleRate answers 1");
}

void programOperation(AEffect* effect, FuzzInput& in) {
    AVstXSynth& synth = synthOf(effect);
    switch (in.byte() % 4) {
    case 0: {
        const VstIntPtr program = anyProgram(in);
        dispatch(effect, effSetProgram, 0, program);
        const std::int32_t current = synth.getProgram();
        fuzzCheck(current >= 0 && current < kProgramCount, "current program 0 to 31");
        if (program >= 0 && program < kProgramCount) {
            fuzzCheck(current == program, "a program in range is selected");
            for (std::int32_t i = 0; i < kParameterCount; ++i)
                fuzzCheck(
                    sameBits(effect->getParameter(effect, i), synth.program(current).value(i)),
                    "selecting a program applies its values as stored");
        }
        break;
    }
    case 1: {
        const VstInt32 destination = static_cast<VstInt32>(anyProgram(in));
        const VstIntPtr copied = dispatch(effect, effCopyProgram, destination);
        fuzzCheck(copied == (destination >= 0 && destination < kProgramCount ? 1 : 0),
                  "copyProgram answers whether the destination exists");
        break;
    }
    case 2: {
        GuardedBytes name(4096);
        in.text(reinterpret_cast<char*>(name.data()), name.size());
        dispatch(effect, effSetProgramName, 0, 0, name.data());
        fuzzCheck(name.guardsIntact(), "no write around the name given");
        break;
    }
    default: {
        GuardedBytes name(kProgramNameSize);
        dispatch(effect, effGetProgramName, 0, 0, name.data());
        fuzzCheck(name.guardsIntact(), "a program name fits 24 bytes");
        fuzzCheck(std::memchr(name.data(), 0, kProgramNameSize) != nullptr, "name terminated");
        break;
    }
    }
}

// Every display text fits the host's 8 bytes, whatever the value.
void readDisplays(AEffect* effect) {
    for (VstInt32 index = -1; index <= kParameterCount; ++index) {
        GuardedBytes text(kParamTextSize);
        dispatch(effect, effGetParamDisplay, index, 0, text.data());
        fuzzCheck(text.guardsIntact(), "a display text fits 8 bytes");
        fuzzCheck(std::memchr(text.data(), 0, kParamTextSize) != nullptr, "display terminated");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    AEffect* effect = createFuzzedInstance();
    dispatch(effect, effMainsChanged, 0, 1);
    std::int32_t framesLeft = kMaxFramesPerInput;
    for (int call = 0; call < kMaxCallsPerInput && !in.done(); ++call) {
        switch (in.byte() % 10) {
        case 0:
        case 1:
            writeParameter(effect, in);
            break;
        case 2:
            writeEveryParameter(effect, in);
            break;
        case 3:
            setSampleRate(effect, in);
            break;
        case 4:
            programOperation(effect, in);
            break;
        case 5:
            startSomeNotes(effect, in);
            break;
        case 6:
            readDisplays(effect);
            break;
        case 7:
            editorStep(effect, in);
            break;
        default:
            if (framesLeft > 0) {
                const std::int32_t frames = renderChecked(effect, in);
                framesLeft -= frames > 0 ? frames : 1;
            }
            break;
        }
        checkDerivedValues(effect);
    }
    closeFuzzedInstance(effect);
    return 0;
}
