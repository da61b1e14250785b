#include "tools/render/instrument_setup.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/round_half_even.h"
#include "synth/tuning/tuning_source.h"
#include "tools/common/parameter_option.h"
#include "tools/common/tool_error.h"
#include "tools/render/render_limits.h"

namespace {

void applyParameters(HostedInstrument& instrument, const RenderOptions& options) {
    const std::vector<ParameterInfo> parameters = instrument.parameters();
    std::vector<ParameterLabel> labels;
    for (const ParameterInfo& p : parameters)
        labels.push_back({p.symbol, p.name});
    for (const ParameterSetting& p : options.parameters) {
        const std::int32_t index = pickParameter(labels, p);
        const ParameterInfo& info = parameters[index];
        checkParameterValue(p, info.symbol.empty() ? info.name : info.symbol, info.range.minimum,
                            info.range.maximum);
        instrument.setParameter(index, p.value);
    }
}

} // namespace

void applySettings(HostedInstrument& instrument, const RenderOptions& options) {
    if (options.program) instrument.selectProgram(*options.program);
    if (options.preset) instrument.selectPreset(*options.preset);
    if (!options.parameters.empty()) applyParameters(instrument, options);
    if (options.tuning.empty() && options.keymap.empty()) return;
    // The files are read here first, so that a damaged one is reported as the tool's own error.
    TuningSource tuning;
    for (const std::string& error :
         {tuning.loadScale(options.tuning), tuning.loadKeymap(options.keymap)})
        if (!error.empty()) throw UsageError(error);
    instrument.setTuningFiles(options.tuning, options.keymap);
}

std::int64_t renderLength(std::int64_t lastEventFrame, const RenderOptions& options) {
    const double tailFrames = options.tailSeconds * options.rate;
    const double frames = static_cast<double>(lastEventFrame) + tailFrames;
    if (frames > static_cast<double>(kMaxRenderFrames)) {
        char tail[32];
        std::snprintf(tail, sizeof tail, "%g", options.tailSeconds);
        throw ToolError(
            "'" + options.input + "' with a tail of " + tail +
            " s would last longer than the longest render: " + durationText(frames / options.rate) +
            " against " + renderLimitText(options.rate) + "; shorten the tail");
    }
    return lastEventFrame + roundToInt(tailFrames);
}
