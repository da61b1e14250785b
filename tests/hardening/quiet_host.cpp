#include "tests/hardening/quiet_host.h"

std::atomic<long> quietHostCalls{0};

VstIntPtr VSTCALL quietHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                            VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    quietHostCalls.fetch_add(1, std::memory_order_relaxed);
    return opcode == audioMasterVersion ? 2400 : 0;
}
