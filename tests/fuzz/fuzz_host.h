// What the three fuzzers share: the instrument as they create it, a host callback, and the
// checked render that proves every block finite and every buffer respected.
#pragma once

#include <cstdint>

#include "plugin/vst2/aeffectx.h"
#include "tests/fuzz/fuzz_input.h"

// Reports a broken promise of the plug-in and stops, so that the fuzzer records the input.
void fuzzCheck(bool holds, const char* promise);

// The instrument as the library's entry creates it. The fuzz build uses the headless editor
// backend: the editor opens, polls and runs its handlers with its controls in memory.
AEffect* createFuzzedInstance();

// effClose through the record's dispatcher entry, which destroys the object.
void closeFuzzedInstance(AEffect* effect);

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f);

// Renders one block of a size taken from `in` (0 to 4096, or negative) with processReplacing or
// process, into guarded buffers; checks that every sample is finite, that both outputs are
// identical, and that nothing outside the outputs was touched (inputs are never read).
// Returns the frames rendered.
std::int32_t renderChecked(AEffect* effect, FuzzInput& in);

// A few note-ons, so that the voices sound while the fuzzer changes everything else.
void startSomeNotes(AEffect* effect, FuzzInput& in);

// Opens the editor when it is closed; otherwise runs one thing its user or its timer does: the
// poll, a slider or radio group moved, a knob dragged, a repaint. Every control must stay
// within its range whatever the parameters hold.
void editorStep(AEffect* effect, FuzzInput& in);
