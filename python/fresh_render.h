// One render from the instrument's reset state, as the LV2 front plays it: a new instrument at
// the rate, program 0 settled, every control applied as one set, the tuning in force, then the
// messages through the MIDI front in blocks of kRenderBlockFrames. Whatever was rendered before,
// in this thread or another, the same setup and messages give the same samples.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "python/note_events.h"
#include "synth/parameters.h"
#include "synth/tuning/tuning_table.h"

// The block size of ulvo-render's default, so that the module's samples equal its output.
inline constexpr std::int32_t kRenderBlockFrames = 512;

struct RenderSetup {
    float sampleRate = 48000.0f;
    std::array<float, kControlCount> values = kParameterDefaults;
    std::optional<TuningTable> tuning; // equal temperament when empty
};

// Renders `frames` frames into `left` and `right` (each that long). `events` are in frame order;
// those at or after `frames` are not played. Allocates only the instrument.
void renderFresh(const RenderSetup& setup, std::span<const PlayEvent> events, std::int64_t frames,
                 float* left, float* right);
