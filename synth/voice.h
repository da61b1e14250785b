// One voice of the ring: all per-note state. Written only on the audio thread.
#pragma once

#include <array>
#include <cstdint>

enum VoiceStage : std::int32_t { Idle = 0, AttackStage, DecayStage, SustainStage, ReleaseStage };

inline constexpr std::int32_t kVoiceCount = 17; // indices 0 to topVoice
inline constexpr std::int32_t kTopVoice = 16;

struct Voice {
    float phase = 0;             // oscillator phase in table steps, 0 to about 4096 + phaseStep
    float phaseStep = 0;         // table steps per sample
    std::int32_t noteNumber = 0; // 0 to 127
    std::int32_t velocity = 0;   // 1 to 127
    std::int32_t startDelay = 0; // samples still to wait before the voice renders
    float smoothed = 0;          // one-pole smoothing state
    std::int32_t bandState = 0;  // filter band-pass state (wraps)
    std::int32_t lowState = 0;   // filter low-pass state (wraps)
    std::int32_t attackPos = 0;  // samples spent in the attack
    std::int32_t decayPos = 0;   // samples spent in the decay
    std::int32_t releasePos = 0; // samples spent in the release
    std::int32_t stage = Idle;   // VoiceStage
    float envLevel = 0;          // last stored envelope level; the release scales from it
    float keyTrack = 0;          // cut-off scale from note and velocity
    float voiceGain = 0;         // output gain from velocity
    std::int32_t releaseCountdown = -1; // rendered samples until the release begins; -1 none
    double curve = 1;      // Natural curve: the decay's or release's geometric term, 1 at its start
    std::int32_t band = 0; // Clean oscillators: the tables for the phase step (cleanBand)
    std::int32_t spare = 0; // always 0; keeps the size a multiple of the double's
};

// No padding: tests compare voices byte for byte.
static_assert(sizeof(Voice) == 18 * 4 + sizeof(double));

// The ring of voices, by index.
using VoiceRing = std::array<Voice, kVoiceCount>;
