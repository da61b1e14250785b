// What every render does between creating an instrument and switching it on: the chosen
// program or preset, then the parameters in command-line order.
#pragma once

#include "host/hosted_instrument.h"
#include "tools/render/render_options.h"

// Throws UsageError for a program, preset or parameter the instrument does not have, and for a
// value outside the parameter's range.
void applySettings(HostedInstrument& instrument, const RenderOptions& options);

// Frames to render for a piece whose last event is at `lastEventFrame`: that plus the tail.
// Throws ToolError when that is more than a 32-bit frame count holds.
std::int64_t renderLength(std::int64_t lastEventFrame, const RenderOptions& options);
