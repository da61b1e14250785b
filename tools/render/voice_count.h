// How many notes sound over a render, counted from the MIDI alone, so that instruments with
// different voice handling are measured against the same work.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/render/midi_timeline.h"

// Sum over every frame in [0, totalFrames) of the number of notes sounding at it. A note sounds
// from its note-on (velocity above 0) to the next note-off of its channel and key; all notes of
// a channel stop at controllers 120 and 123 to 127, which end every note.
std::int64_t countVoiceFrames(const std::vector<TimedMessage>& messages, std::int64_t totalFrames);
