// A host callback for tests that play host on several threads: it answers the version query
// and counts every call, and nothing else.
#pragma once

#include <atomic>

#include "plugin/vst2/aeffect.h"

// [any thread] Answers audioMasterVersion with 2400 (a host of the 2.4 generation), all else 0.
VstIntPtr VSTCALL quietHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt);

// Calls that reached quietHost so far.
extern std::atomic<long> quietHostCalls;
