// The binary interface that a VST 2 host and this instrument share: the effect record, the
// entry signatures, the base opcodes and the record's flag bits.
//
// One set of declarations serves both widths. On 32-bit x86 every field is 4 bytes and the record
// is 144 bytes. On 64-bit builds int32 fields stay 32-bit, while pointers, the dispatcher's and
// the host callback's `value` argument and result, and `resvd1`/`resvd2` are pointer-sized; every
// field is naturally aligned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/vst2/four_char_code.h"
#include "plugin/vst2/vst_call.h"

using VstInt32 = std::int32_t;
// Pointer-sized integer: `value` arguments and dispatcher/callback results carry pointers too.
using VstIntPtr = std::intptr_t;

struct AEffect;

// [any thread] The host's callback. `effect` is null only for the version query in `main`.
using audioMasterCallback = VstIntPtr(VSTCALL*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                VstIntPtr value, void* ptr, float opt);

using DispatcherEntry = VstIntPtr(VSTCALL*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
using ProcessEntry = void(VSTCALL*)(AEffect* effect, float** inputs, float** outputs,
                                    VstInt32 sampleFrames);
using SetParameterEntry = void(VSTCALL*)(AEffect* effect, VstInt32 index, float parameter);
using GetParameterEntry = float(VSTCALL*)(AEffect* effect, VstInt32 index);

// What the record's first field holds, by which a host knows it for one.
inline constexpr VstInt32 kEffectRecordMagic = fourCharCode('V', 's', 't', 'P');

// The effect record. Embedded in the plug-in object; lives exactly as long as it.
struct AEffect {
    VstInt32 magic;                 // kEffectRecordMagic
    DispatcherEntry dispatcher;     // [any thread] opcodes
    ProcessEntry process;           // [audio thread] render, adding to the outputs
    SetParameterEntry setParameter; // [any thread]
    GetParameterEntry getParameter; // [any thread]
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags; // effFlags* bits
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay; // sample frames
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object; // the plug-in object that embeds this record
    void* user;
    VstInt32 uniqueID;
    VstInt32 version;
    ProcessEntry processReplacing; // [audio thread] render, replacing the outputs
    char future[60];               // always zero
};

#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(AEffect) == 144);
static_assert(offsetof(AEffect, dispatcher) == 4);
static_assert(offsetof(AEffect, numPrograms) == 20);
static_assert(offsetof(AEffect, flags) == 36);
static_assert(offsetof(AEffect, resvd1) == 40);
static_assert(offsetof(AEffect, initialDelay) == 48);
static_assert(offsetof(AEffect, ioRatio) == 60);
static_assert(offsetof(AEffect, object) == 64);
static_assert(offsetof(AEffect, uniqueID) == 72);
static_assert(offsetof(AEffect, processReplacing) == 80);
static_assert(offsetof(AEffect, future) == 84);
#else
static_assert(sizeof(AEffect) == 192);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, getParameter) == 32);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, resvd2) == 72);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, future) == 128);
#endif

// Flag bits of AEffect::flags.
enum : VstInt32 {
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsExtIsAsync = 1024,
    effFlagsExtHasBuffer = 2048,
};

// Base dispatcher opcodes (0 to 24).
enum : VstInt32 {
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDraw,
    effEditMouse,
    effEditKey,
    effEditIdle,
    effEditTop,
    effEditSleep,
    effIdentify,
    effGetChunk,
    effSetChunk,
};

// Base host opcodes (0 to 4).
enum : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion,
    audioMasterCurrentId,
    audioMasterIdle,
    audioMasterPinConnected,
};

// Editor rectangle, in pixels; the same on every width.
struct ERect {
    std::int16_t top;
    std::int16_t left;
    std::int16_t bottom;
    std::int16_t right;
};
static_assert(sizeof(ERect) == 8);

// Text buffer sizes that hosts allocate, terminator included.
inline constexpr std::size_t kParamTextSize = 8;     // parameter name, label, display
inline constexpr std::size_t kProgramNameSize = 24;  // program names
inline constexpr std::size_t kIdentityTextSize = 64; // vendor and product strings
inline constexpr std::size_t kEffectNameSize = 32;   // effect name
