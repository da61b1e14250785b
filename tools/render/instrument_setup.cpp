#include "tools/render/instrument_setup.h"

#include <cstdint>
#include <string>

#include "core/round_half_even.h"
#include "tools/render/render_error.h"

void applySettings(PluginInstance& instrument, const RenderOptions& options) {
    if (options.program) instrument.selectProgram(*options.program);
    for (const ParameterSetting& p : options.parameters)
        instrument.setParameter(instrument.findParameter(p.name), p.value);
}

std::int64_t renderLength(std::int64_t lastEventFrame, const RenderOptions& options) {
    // Frame counts stay within 31 bits, as the instrument's block sizes and offsets do.
    const double tailFrames = options.tailSeconds * options.rate;
    if (static_cast<double>(lastEventFrame) + tailFrames > static_cast<double>(INT32_MAX))
        throw RenderError("the render would last longer than " + std::to_string(INT32_MAX) +
                          " frames; shorten the tail");
    return lastEventFrame + roundToInt(tailFrames);
}
