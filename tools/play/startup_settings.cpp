#include "tools/play/startup_settings.h"

#include "synth/control_limits.h"
#include "synth/preset_text.h"
#include "tools/common/tool_error.h"
#include "tools/play/factory_presets.h"

namespace {

std::vector<ParameterLabel> parameterLabels() {
    std::vector<ParameterLabel> labels;
    for (std::int32_t index = 0; index < kControlCount; ++index)
        labels.push_back({kParameterSymbols[index], kParameterNames[index]});
    return labels;
}

} // namespace

void applyStartSettings(Instrument& instrument, const PlayOptions& options) {
    if (options.program) instrument.selectProgram(*options.program);
    if (options.preset) {
        const PresetParse parse = parsePresets(factoryPresetsText());
        if (!parse.error.empty()) throw ToolError("factory presets: " + parse.error);
        const Preset* preset = findPreset(parse.presets, *options.preset);
        if (preset == nullptr)
            throw ToolError("no factory preset is called '" + *options.preset + "'");
        instrument.loadValues(preset->values);
        instrument.setProgramName(instrument.currentProgram(), preset->name.c_str());
    }
    const std::vector<ParameterLabel> labels = parameterLabels();
    for (const ParameterSetting& p : options.parameters) {
        const std::optional<std::int32_t> index = findParameter(labels, p.name);
        if (!index) throw ToolError("--param: no parameter is called '" + p.name + "'");
        const ControlRange& range = kControlRanges[*index];
        checkParameterValue(p, kParameterSymbols[*index], range.minimum, range.maximum);
        // Whole-number and choice controls take the nearest whole value.
        instrument.setParameter(*index, heldInRange(*index, p.value));
    }
}
