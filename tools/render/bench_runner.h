// --bench: renders the same piece through one or more instruments, interleaved run by run so
// that they share the machine's conditions, and reports the median CPU time of each.
#pragma once

#include <atomic>
#include <cstdio>

#include "tools/render/midi_timeline.h"
#include "tools/render/render_options.h"

// Prints one line per instrument to `out`, and the ratio to the first when there are several.
// Returns false, having printed nothing, when `stop` was set before the runs were done.
// Throws ToolError.
bool runBench(const RenderOptions& options, const MidiTimeline& timeline, std::FILE* out,
              const std::atomic<bool>* stop = nullptr);
