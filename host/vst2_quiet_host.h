// A VST 2 host callback for instruments made in the process and driven directly (the fuzzers,
// the benchmarks, the tests that run instances on several threads): it tells the host's version
// and nothing else, so that no answer of the host's changes what the instrument does.
#pragma once

#include "plugin/vst2/aeffect.h"

// [any thread] Answers audioMasterVersion with 2400 (a host of the 2.4 generation), all else 0.
VstIntPtr VSTCALL quietVst2Host(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt);
