#include "tools/render/instrument_listing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string rangeText(const ParameterInfo& p) {
    if (!p.choices.empty()) {
        std::string text;
        for (const auto& [value, label] : p.choices)
            text += (text.empty() ? "" : ", ") + number(value) + " " + label;
        return text;
    }
    const ParameterRange& r = p.range;
    std::string text = std::isnan(r.minimum) && std::isnan(r.maximum) ? "any"
                       : std::isnan(r.minimum) ? "at most " + number(r.maximum)
                       : std::isnan(r.maximum) ? "at least " + number(r.minimum)
                                               : number(r.minimum) + " to " + number(r.maximum);
    if (!p.unit.empty()) text += " " + p.unit;
    if (p.whole) text += ", whole";
    return text;
}

} // namespace

std::string parameterListText(const std::vector<ParameterInfo>& parameters) {
    if (parameters.empty()) return "The instrument has no parameters.\n";
    const bool symbols = std::any_of(parameters.begin(), parameters.end(),
                                     [](const ParameterInfo& p) { return !p.symbol.empty(); });
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"index", "symbol", "name", "range", "default"});
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const ParameterInfo& p = parameters[i];
        rows.push_back({std::to_string(i), p.symbol, p.name, rangeText(p),
                        std::isnan(p.defaultValue) ? "none" : number(p.defaultValue)});
    }
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c == 1 && !symbols) continue;
            if (!line.empty()) line += "  ";
            // The index right-aligned, the rest left-aligned; nothing trails the last column.
            const std::string padding(widths[c] - row[c].size(), ' ');
            line += c == 0 ? padding + row[c] : row[c] + (c + 1 < row.size() ? padding : "");
        }
        text += line + "\n";
    }
    return text;
}

std::string presetsText(const std::vector<ListedPreset>& presets) {
    return presets.empty() ? "The instrument has no presets.\n" : presetListText(presets);
}
