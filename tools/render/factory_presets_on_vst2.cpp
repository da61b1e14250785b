#include "tools/render/factory_presets_on_vst2.h"

#include "synth/parameters.h"
#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"

FactoryPresetsOnVst2::FactoryPresetsOnVst2(std::unique_ptr<HostedInstrument> vst2)
    : ForwardingInstrument(std::move(vst2)) {
    if (inner->parameters().size() != static_cast<std::size_t>(kParameterCount))
        throw ToolError("the VST 2 plug-in has not UlvoDraw's " + std::to_string(kParameterCount) +
                        " parameters; its factory presets cannot be given to it");
}

std::vector<ListedPreset> FactoryPresetsOnVst2::presets() const {
    std::vector<ListedPreset> list = factoryPresetList();
    sortByFamily(list);
    return list;
}

void FactoryPresetsOnVst2::selectPreset(const std::string& label) {
    const Preset& preset =
        factoryPresets()[pickPreset(factoryPresetList(), label, "--list-presets")];
    // The build has no playing controls: they stay at its classic values.
    for (const std::int32_t index : kSettleOrder)
        if (isParameterIndex(index)) inner->setParameter(index, preset.values[index]);
}
