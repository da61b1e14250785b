// The features of a voice's sound that not every voice uses, and which of them the lanes lack:
// the one description the fast render reads to send each voice to the lanes or to the reference
// code (VoiceRenderer::fitsLanes). A voice using a feature the lanes lack is rendered alone by
// the reference code, to the same bits, while the other voices keep the lanes; so a new feature
// needs only the reference to be right in every build, and the lanes later only for speed.
#pragma once

#include <cstdint>

#include "synth/engine_values.h"
#include "synth/parameters.h"
#include "synth/voice.h"

using VoiceFeatures = std::uint32_t;

// One bit each; the comment says which part of the lanes renders it.
enum VoiceFeature : VoiceFeatures {
    StartDelayFeature = 1u << 0,       // waiting before the first sample: planEnvelope
    ScheduledReleaseFeature = 1u << 1, // a note-off due within the coming samples: planEnvelope
    NaturalCurveFeature = 1u << 2,     // the Natural curve's levels: planEnvelope
    CleanOscillatorFeature = 1u << 3,  // the Clean oscillators: CleanTableCache, oscillate
};

// The features the planner and the kernels do not render yet: a voice using one of them takes
// the reference code.
inline constexpr VoiceFeatures kLanesLack = 0;

// The features voice `v` uses with the values `r`. Reads what says whether a feature is in use,
// never the running state the lanes advance (phase, smoothing, filter, level): the answer stays
// true of a voice whose newest state is still in a lane.
inline VoiceFeatures voiceFeatures(const Voice& v, const RenderValues& r) {
    VoiceFeatures used = 0;
    if (v.startDelay > 0) used |= StartDelayFeature;
    if (v.releaseCountdown >= 0) used |= ScheduledReleaseFeature;
    if (r.curve == NaturalCurve) used |= NaturalCurveFeature;
    if (r.cleanWaves != nullptr) used |= CleanOscillatorFeature;
    return used;
}
