#include "tools/common/preset_list.h"

#include <algorithm>
#include <strings.h>

#include "tools/common/nearest_names.h"
#include "tools/common/tool_error.h"

namespace {

constexpr const char* kNoFamily = "Presets";

std::string headingOf(const ListedPreset& preset) {
    return preset.family.empty() ? kNoFamily : preset.family;
}

} // namespace

void sortByFamily(std::vector<ListedPreset>& presets) {
    std::sort(presets.begin(), presets.end(), [](const ListedPreset& a, const ListedPreset& b) {
        return a.family != b.family ? a.family < b.family : a.name < b.name;
    });
}

std::string presetListText(const std::vector<ListedPreset>& presets) {
    std::vector<std::string> headings;
    for (const ListedPreset& preset : presets)
        if (std::find(headings.begin(), headings.end(), headingOf(preset)) == headings.end())
            headings.push_back(headingOf(preset));
    std::string text;
    for (const std::string& heading : headings) {
        text += heading + ":\n";
        for (const ListedPreset& preset : presets)
            if (headingOf(preset) == heading) text += "  " + preset.name + "\n";
    }
    return text;
}

std::size_t pickPreset(const std::vector<ListedPreset>& presets, const std::string& wanted,
                       const std::string& listOption) {
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (presets[i].name == wanted) return i;
    for (std::size_t i = 0; i < presets.size(); ++i)
        if (strcasecmp(presets[i].name.c_str(), wanted.c_str()) == 0) return i;
    if (presets.empty()) throw UsageError("no preset '" + wanted + "': the instrument has none");
    std::vector<Spelling> spellings;
    for (const ListedPreset& preset : presets)
        spellings.push_back({preset.name, preset.name});
    const std::vector<std::string> near = nearestNames(wanted, spellings);
    if (!near.empty())
        throw UsageError("no preset '" + wanted + "' (the nearest: " + listedNames(near) + ")");
    throw UsageError("no preset '" + wanted + "' (" + std::to_string(presets.size()) +
                     " presets; " + listOption + " lists them)");
}
