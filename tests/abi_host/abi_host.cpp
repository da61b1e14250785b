// A minimal host that loads a built plug-in (the .so with dlopen, a DLL with LoadLibrary) and
// checks it through the binary interface only.
//
//   abi_host check PLUGIN          record layout, answers, control word; prints a pass/fail count
//   abi_host render PLUGIN OUT     renders a fixed scenario and writes its raw float samples
//
// The same source builds natively and with MinGW, so every build is checked the same way.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "plugin/vst2/aeffectx.h"

namespace {

int passed = 0, failed = 0;

void expect(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

int automateCalls = 0, wantMidiCalls = 0;

VstIntPtr VSTCALL hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate) ++automateCalls;
    if (opcode == audioMasterWantMidi) ++wantMidiCalls;
    return 0;
}

using Entry = AEffect*(VSTCALL*)(audioMasterCallback);

struct Library {
    void* handle = nullptr;
    std::uint16_t controlWordAfterLoad = 0;

    explicit Library(const char* path) {
#ifdef _WIN32
        handle = reinterpret_cast<void*>(LoadLibraryA(path));
#else
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
        __asm__ volatile("fnstcw %0" : "=m"(controlWordAfterLoad));
    }
    Entry entry(const char* name) const {
#ifdef _WIN32
        return reinterpret_cast<Entry>(
            reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)));
#else
        return reinterpret_cast<Entry>(dlsym(handle, name));
#endif
    }
};

VstIntPtr dispatch(AEffect* e, VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0) {
    return e->dispatcher(e, op, index, value, ptr, opt);
}

template <typename T> T fieldAt(const AEffect* e, std::size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const char*>(e) + offset, sizeof value);
    return value;
}

int check(const Library& lib) {
    // Bit 6 of the x87 control word is reserved and reads back as 1.
    expect((lib.controlWordAfterLoad & ~0x40) == 0x133F, "x87 control word 0x133F after load");
    Entry main = lib.entry("main");
    expect(main != nullptr, "exports main");
    if (main == nullptr) return 1;
    AEffect* e = main(hostCallback);
    expect(e != nullptr, "main returns a record");
    if (e == nullptr) return 1;

    // The record at its byte offsets, as the host reads it.
    const bool narrow = sizeof(void*) == 4;
    const std::size_t numProgramsAt = narrow ? 20 : 40, flagsAt = narrow ? 36 : 56,
                      ioRatioAt = narrow ? 60 : 92, objectAt = narrow ? 64 : 96,
                      uniqueIdAt = narrow ? 72 : 112, versionAt = narrow ? 76 : 116,
                      futureAt = narrow ? 84 : 128;
    expect(sizeof(AEffect) == (narrow ? 144u : 192u), "record size");
    expect(fieldAt<std::int32_t>(e, 0) == 0x56737450, "magic");
    expect(fieldAt<std::int32_t>(e, numProgramsAt) == 32, "numPrograms");
    expect(fieldAt<std::int32_t>(e, numProgramsAt + 4) == 16, "numParams");
    expect(fieldAt<std::int32_t>(e, numProgramsAt + 8) == 0, "numInputs");
    expect(fieldAt<std::int32_t>(e, numProgramsAt + 12) == 2, "numOutputs");
    expect(fieldAt<std::int32_t>(e, flagsAt) == 0x111, "flags");
    expect(fieldAt<float>(e, ioRatioAt) == 1.0f, "ioRatio");
    expect(fieldAt<void*>(e, objectAt) != nullptr, "object");
    expect(fieldAt<void*>(e, objectAt + sizeof(void*)) == nullptr, "user");
    expect(fieldAt<std::int32_t>(e, uniqueIdAt) == 0x556C7672, "uniqueID 'Ulvr'");
    expect(fieldAt<std::int32_t>(e, versionAt) == 1, "version");
    bool futureZero = true;
    for (std::size_t i = 0; i < 60; ++i)
        futureZero &= fieldAt<char>(e, futureAt + i) == 0;
    expect(futureZero, "future area zero");

    // A few answers of each dispatcher.
    char text[64] = {};
    dispatch(e, effGetEffectName, 0, 0, text);
    expect(std::strcmp(text, "UlvoDraw") == 0, "effect name");
    dispatch(e, effGetParamName, 11, 0, text);
    expect(std::strcmp(text, "16") == 0, "parameter 11 name");
    dispatch(e, effGetParamDisplay, 0, 0, text);
    expect(std::strcmp(text, "0.10") == 0, "parameter 0 display");
    expect(dispatch(e, effGetVstVersion) == 2200, "VST version");
    expect(dispatch(e, effGetPlugCategory) == 2, "synth category");
    expect(dispatch(e, effIdentify) == 0x4E764566, "identify");
    char cap[] = "receiveVstMidiEvent";
    expect(dispatch(e, effCanDo, 0, 0, cap) == 1, "canDo");
    expect(dispatch(e, effGetProgramName, 0, 0, nullptr) == 0, "null text buffer is safe");
    dispatch(e, effMainsChanged, 0, 1);
    expect(wantMidiCalls == 1, "resume asks for MIDI");
    e->setParameter(e, 4, 0.37f);
    expect(e->getParameter(e, 4) == 0.37f, "parameter round trip through the entries");
    expect(dispatch(e, effClose) == 1, "close answers 1");

    AEffect* refused = main(nullptr);
    expect(refused == nullptr, "main with a null callback gives null");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

// A fixed scenario: a dozen notes over blocks of odd sizes, a bend, program changes and every wave
// and filter type. Every build must give the same samples.
int render(const Library& lib, const char* outPath) {
    Entry main = lib.entry("main");
    if (main == nullptr) return 1;
    AEffect* e = main(hostCallback);
    if (e == nullptr) return 1;
    dispatch(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(e, effMainsChanged, 0, 1);
    std::FILE* out = std::fopen(outPath, "wb");
    if (out == nullptr) return 1;
    const int blockSizes[] = {1, 37, 511, 64, 1000, 333, 2048, 7, 450, 129, 777, 256};
    std::vector<float> left(4096), right(4096);
    for (int block = 0; block < 48; ++block) {
        const int frames = blockSizes[block % 12];
        VstMidiEvent events[3] = {};
        VstEvents* list =
            static_cast<VstEvents*>(std::calloc(1, sizeof(VstEvents) + 3 * sizeof(VstEvent*)));
        int count = 0;
        auto add = [&](int delta, int status, int d1, int d2) {
            VstMidiEvent& m = events[count];
            m.type = kVstMidiType;
            m.byteSize = sizeof m;
            m.deltaFrames = delta;
            m.midiData[0] = static_cast<char>(status);
            m.midiData[1] = static_cast<char>(d1);
            m.midiData[2] = static_cast<char>(d2);
            list->events[count++] = reinterpret_cast<VstEvent*>(&m);
        };
        if (block % 4 == 0) add(frames / 2, 0x90, 40 + block, 60 + block);
        if (block % 4 == 2) add(frames / 3, 0x80, 40 + block - 2, 0);
        if (block == 9) add(0, 0xE0, 0, 127);
        if (block == 20) add(3, 0xE0, 0, 10);
        list->numEvents = count;
        dispatch(e, effProcessEvents, 0, 0, list);
        std::free(list);
        if (block % 8 == 5) dispatch(e, effSetProgram, 0, block % 32);
        e->setParameter(e, 14, static_cast<float>(block % 4) / 3.0f); // every wave
        e->setParameter(e, 6, static_cast<float>(block % 3) * 0.5f);  // every filter
        e->setParameter(e, 5, static_cast<float>(block % 5) * 0.2f);  // Q
        e->setParameter(e, 15, block % 6 == 0 ? 0.3f : 0.0f);         // smoothing
        e->setParameter(e, 8 + block % 6, static_cast<float>(block % 7) / 6.0f);
        float* outs[2] = {left.data(), right.data()};
        if (block % 2 == 0) {
            e->processReplacing(e, nullptr, outs, frames);
        } else {
            std::fill(left.begin(), left.end(), 0.125f);
            std::fill(right.begin(), right.end(), -0.125f);
            e->process(e, nullptr, outs, frames);
        }
        std::fwrite(left.data(), sizeof(float), frames, out);
        std::fwrite(right.data(), sizeof(float), frames, out);
    }
    dispatch(e, effClose);
    return std::fclose(out) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "render") == 0 && argc < 4)) {
        std::fprintf(stderr, "usage: abi_host check PLUGIN | abi_host render PLUGIN OUT\n");
        return 2;
    }
    Library lib(argv[2]);
    if (lib.handle == nullptr) {
        std::fprintf(stderr, "abi_host: cannot load %s\n", argv[2]);
        return 1;
    }
    if (std::strcmp(argv[1], "check") == 0) return check(lib);
    if (std::strcmp(argv[1], "render") == 0) return render(lib, argv[3]);
    std::fprintf(stderr, "abi_host: unknown command %s\n", argv[1]);
    return 2;
}
