// The piece a render plays: the MIDI file read (a damaged track up to its damage unless --strict),
// placed on frames, and the channels --channel keeps; with the lines the user is to read about it.
#pragma once

#include <string>
#include <vector>

#include "tools/render/midi_timeline.h"
#include "tools/render/render_options.h"

struct Piece {
    MidiTimeline timeline;
    std::vector<std::string> notices; // one line each: damaged tracks, channels left out
};

// Throws ToolError naming the file.
Piece loadPiece(const RenderOptions& options);
