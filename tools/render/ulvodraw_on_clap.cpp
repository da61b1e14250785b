#include "tools/render/ulvodraw_on_clap.h"

#include <cstring>

#include "synth/bank_text.h"
#include "synth/identity.h"
#include "synth/parameters.h"
#include "synth/tuning/tuning_source.h"
#include "synth/tuning/tuning_state_text.h"
#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"

bool isUlvoDrawClap(const HostedClapPlugin& instance) {
    return std::strcmp(instance.pluginId(), kUlvoDrawClapId) == 0;
}

UlvoDrawOnClap::UlvoDrawOnClap(std::unique_ptr<HostedClapPlugin> clap)
    : ForwardingInstrument(std::move(clap)) {}

std::vector<ParameterInfo> UlvoDrawOnClap::parameters() const {
    std::vector<ParameterInfo> list = inner->parameters();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const clap::Id id = inner->parameterId(static_cast<std::int32_t>(i));
        if (!isControlIndex(static_cast<std::int32_t>(id))) continue;
        list[i].symbol = kParameterSymbols[id];
        list[i].unit = kControlRanges[id].unit;
    }
    return list;
}

std::vector<ListedPreset> UlvoDrawOnClap::presets() const {
    std::vector<ListedPreset> list = factoryPresetList();
    sortByFamily(list);
    return list;
}

void UlvoDrawOnClap::selectPreset(const std::string& label) {
    const Preset& preset =
        factoryPresets()[pickPreset(factoryPresetList(), label, "--list-presets")];
    // Each of the preset's values to the parameter of its symbol, in one flush.
    const std::vector<ParameterInfo> list = parameters();
    std::vector<std::int32_t> indices;
    std::vector<float> values;
    for (std::int32_t control = 0; control < kControlCount; ++control)
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].symbol == kParameterSymbols[control]) {
                indices.push_back(static_cast<std::int32_t>(i));
                values.push_back(preset.values[control]);
            }
    inner->setParameters(indices, values);
}

void UlvoDrawOnClap::setTuningFiles(const std::string& scale, const std::string& keymap) {
    TuningSource tuning;
    for (const std::string& error : {tuning.loadScale(scale), tuning.loadKeymap(keymap)})
        if (!error.empty()) throw UsageError(error);
    const std::string state = withTuningLines(inner->saveState(), tuningStateLines(tuning));
    if (state.empty()) throw ToolError("UlvoDraw's CLAP build gave a state that is no bank");
    inner->loadState(state);
}
