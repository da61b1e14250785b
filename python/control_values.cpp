#include "python/control_values.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "synth/preset_text.h"
#include "tools/common/factory_presets.h"
#include "tools/common/nearest_names.h"
#include "tools/common/tool_error.h"

namespace {

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string suggestion(std::string_view wanted, const std::vector<Spelling>& spellings) {
    const std::vector<std::string> near = nearestNames(wanted, spellings);
    return near.empty() ? "" : "; did you mean " + listedNames(near) + "?";
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::int32_t controlIndex(std::string_view symbol) {
    std::vector<Spelling> spellings;
    for (std::int32_t index = 0; index < kControlCount; ++index) {
        if (symbol == kParameterSymbols[index]) return index;
        spellings.push_back({kParameterSymbols[index], kParameterSymbols[index]});
    }
    throw UsageError("no control is called '" + std::string(symbol) + "'" +
                     suggestion(symbol, spellings));
}

float checkedValue(std::int32_t index, double value) {
    const ControlRange& range = kControlRanges[index];
    const std::string name = kParameterSymbols[index];
    const std::string span = numberText(range.minimum) + " to " + numberText(range.maximum);
    if (!std::isfinite(value))
        throw UsageError(name + " takes a number from " + span + ", not " +
                         (std::isnan(value) ? "NaN" : "an infinity"));
    const auto single = static_cast<float>(value);
    if (single < range.minimum || single > range.maximum)
        throw UsageError(name + " takes " + span + ", not " + numberText(value));
    if (range.kind != ValueKind::Continuous && single != std::floor(single))
        throw UsageError(name + " takes whole numbers from " + span + ", not " + numberText(value));
    return single;
}

float choiceValue(std::int32_t index, std::string_view choice) {
    if (kControlRanges[index].kind != ValueKind::Choice)
        throw UsageError(std::string(kParameterSymbols[index]) + " takes a number, not '" +
                         std::string(choice) + "'");
    const auto& names = choiceNames(index);
    std::vector<Spelling> spellings;
    for (std::size_t value = 0; value < names.size(); ++value) {
        if (sameIgnoringCase(choice, names[value])) return static_cast<float>(value);
        spellings.push_back({names[value], names[value]});
    }
    throw UsageError(std::string(kParameterSymbols[index]) + " has no choice '" +
                     std::string(choice) + "'" + suggestion(choice, spellings));
}

std::array<float, kControlCount> presetValues(std::string_view name) {
    const std::vector<Preset>& presets = factoryPresets();
    if (const Preset* preset = findPreset(presets, name)) return preset->values;
    std::vector<Spelling> spellings;
    for (const Preset& preset : presets)
        spellings.push_back({preset.name, preset.name});
    throw UsageError("no preset is called '" + std::string(name) + "'" +
                     suggestion(name, spellings));
}
