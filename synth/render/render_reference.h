// The straightforward per-sample render of the whole ring: the reference every faster render must
// match to the bit.
#pragma once

#include <cstdint>

#include "synth/engine_values.h"
#include "synth/voice.h"
#include "synth/wave_tables.h"

// [audio thread] Adds `frames` samples of every sounding voice to both buffers (which may be one
// buffer, receiving every sample twice).
void referenceRender(VoiceRing& voices, const EngineValues& values, const WaveTables& tables,
                     float* left, float* right, std::int32_t frames);
