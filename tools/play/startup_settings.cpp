#include "tools/play/startup_settings.h"

#include "synth/preset_text.h"
#include "tools/play/factory_presets.h"
#include "tools/play/play_error.h"

std::int32_t findParameterIndex(std::string_view name) {
    for (std::int32_t index = 0; index < kParameterCount; ++index)
        if (name == kParameterSymbols[index] || name == kParameterNames[index]) return index;
    return -1;
}

void applyStartSettings(Instrument& instrument, const PlayOptions& options) {
    if (options.program) instrument.selectProgram(*options.program);
    if (options.preset) {
        const PresetParse parse = parsePresets(factoryPresetsText());
        if (!parse.error.empty()) throw PlayError("factory presets: " + parse.error);
        const Preset* preset = findPreset(parse.presets, *options.preset);
        if (preset == nullptr)
            throw PlayError("no factory preset is called '" + *options.preset + "'");
        instrument.loadValues(preset->values);
        instrument.setProgramName(instrument.currentProgram(), preset->name.c_str());
    }
    for (const ParameterAssignment& p : options.parameters) {
        const std::int32_t index = findParameterIndex(p.name);
        if (index < 0) throw PlayError("--param: no parameter is called '" + p.name + "'");
        instrument.setParameter(index, p.value);
    }
}
