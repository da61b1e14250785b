#include "tools/play/startup_settings.h"

#include "synth/control_limits.h"
#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"

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
        const Preset& preset =
            factoryPresets()[pickPreset(factoryPresetList(), *options.preset, "--list-presets")];
        instrument.loadValues(preset.values);
        instrument.setProgramName(instrument.currentProgram(), preset.name.c_str());
    }
    const std::vector<ParameterLabel> labels = parameterLabels();
    for (const ParameterSetting& p : options.parameters) {
        const std::int32_t index = pickParameter(labels, p);
        const ControlRange& range = kControlRanges[index];
        checkParameterValue(p, kParameterSymbols[index], range.minimum, range.maximum);
        // Whole-number and choice controls take the nearest whole value.
        instrument.setParameter(index, heldInRange(index, p.value));
    }
}
