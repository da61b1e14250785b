#include "tools/render/instrument_setup.h"

#include "host/round_half_even.h"

void applySettings(PluginInstance& instrument, const RenderOptions& options) {
    if (options.program) instrument.selectProgram(*options.program);
    for (const ParameterSetting& p : options.parameters)
        instrument.setParameter(instrument.findParameter(p.name), p.value);
}

std::int64_t renderLength(std::int64_t lastEventFrame, const RenderOptions& options) {
    return lastEventFrame + roundToInt(options.tailSeconds * options.rate);
}
