#include "synth/render/render_reference.h"

#include "synth/render/voice_render.h"

// Frame by frame, voice 0 to 16 in order; the values are read afresh for every sample so that a
// parameter change takes effect at the next sample.
void referenceRender(VoiceRing& voices, const EngineValues& values, const WaveTables& tables,
                     float* left, float* right, std::int32_t frames) {
    for (std::int32_t k = 0; k < frames; ++k) {
        const RenderValues r = loadRenderValues(values, tables);
        for (Voice& v : voices) {
            if (v.stage == Idle) continue;
            if (v.startDelay > 0) {
                --v.startDelay;
                continue;
            }
            renderVoice(v, r, left[k], right[k]);
        }
    }
}
