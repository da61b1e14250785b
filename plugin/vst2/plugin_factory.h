// The instrument that `main` creates. Defined by the instrument, so that the boundary does not
// depend on it.
#pragma once

#include "plugin/vst2/aeffect.h"

class AudioEffect;

// Creates one plug-in object for the host's callback; null when none could be made.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
