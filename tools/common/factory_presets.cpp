#include "tools/common/factory_presets.h"

#include "tools/common/tool_error.h"

const std::vector<Preset>& factoryPresets() {
    static const PresetParse parse = parsePresets(factoryPresetsText());
    if (!parse.error.empty()) throw ToolError("factory presets: " + parse.error);
    return parse.presets;
}

std::vector<ListedPreset> factoryPresetList() {
    std::vector<ListedPreset> list;
    for (const Preset& preset : factoryPresets())
        list.push_back({preset.family, preset.name});
    return list;
}
