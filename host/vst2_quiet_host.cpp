#include "host/vst2_quiet_host.h"

#include "plugin/vst2/aeffect.h"

VstIntPtr VSTCALL quietVst2Host(AEffect* /*effect*/, VstInt32 opcode, VstInt32 /*index*/,
                                VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
    return opcode == audioMasterVersion ? 2400 : 0;
}
