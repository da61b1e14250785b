#include "tools/common/parameter_option.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

#include "tools/common/decimal_numbers.h"
#include "tools/common/nearest_names.h"
#include "tools/common/tool_error.h"

namespace {

// An instrument with more parameters than this gets a count alone in messages.
constexpr std::size_t kNamesListed = 32;

// ASCII only: the locale must not decide which parameter a command line sets.
bool equalIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

ParameterSetting parseParameterSetting(const std::string& text) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0)
        throw ToolError("--param takes NAME=VALUE, not '" + text + "'");
    const std::string name = text.substr(0, equals);
    const std::string valueText = text.substr(equals + 1);
    const std::optional<double> value = decimalReal(valueText);
    if (!value || !(std::fabs(*value) <= FLT_MAX))
        throw ToolError("--param " + name + " takes a number, not '" + valueText + "'");
    return {name, valueText, static_cast<float>(*value)};
}

void checkParameterValue(const ParameterSetting& setting, const std::string& label, float minimum,
                         float maximum) {
    if (!(setting.value < minimum) && !(setting.value > maximum)) return;
    const auto number = [](float value) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        return std::string(text, result.ptr);
    };
    const std::string range = std::isnan(minimum)   ? "at most " + number(maximum)
                              : std::isnan(maximum) ? "at least " + number(minimum)
                                                    : number(minimum) + " to " + number(maximum);
    throw UsageError("--param " + setting.name + "=" + setting.valueText + ": " + label +
                     " takes " + range);
}

std::optional<std::int32_t> findParameter(const std::vector<ParameterLabel>& parameters,
                                          const std::string& wanted) {
    const auto count = static_cast<std::int32_t>(parameters.size());
    const auto first = [&](auto matches) -> std::optional<std::int32_t> {
        for (std::int32_t i = 0; i < count; ++i)
            if (matches(parameters[i])) return i;
        return std::nullopt;
    };
    if (wanted.empty()) return std::nullopt;
    if (auto i = first([&](const ParameterLabel& p) { return p.symbol == wanted; })) return i;
    if (auto i = first([&](const ParameterLabel& p) { return p.name == wanted; })) return i;
    if (auto i = first([&](const ParameterLabel& p) {
            return equalIgnoringCase(p.symbol, wanted) || equalIgnoringCase(p.name, wanted);
        }))
        return i;
    const std::optional<std::int64_t> index =
        wanted[0] == '-' ? std::nullopt : decimalInteger(wanted);
    if (index && *index < count) return static_cast<std::int32_t>(*index);
    return std::nullopt;
}

std::int32_t pickParameter(const std::vector<ParameterLabel>& parameters,
                           const ParameterSetting& setting) {
    const std::string& wanted = setting.name;
    if (const std::optional<std::int32_t> index = findParameter(parameters, wanted)) return *index;
    const std::string head = "--param " + wanted + "=" + setting.valueText + ": ";
    const auto count = std::to_string(parameters.size());
    if (decimalInteger(wanted))
        throw UsageError(head + "no parameter with index " + wanted +
                         (parameters.empty()
                              ? std::string(" (the instrument has none)")
                              : " (0 to " + std::to_string(parameters.size() - 1) + ")"));
    // Shown as the command line would best take it: by symbol where the format has them.
    std::vector<Spelling> spellings;
    std::vector<std::string> shown;
    for (const ParameterLabel& p : parameters) {
        const std::string& label = p.symbol.empty() ? p.name : p.symbol;
        shown.push_back(label);
        if (!p.symbol.empty()) spellings.push_back({p.symbol, label});
        spellings.push_back({p.name, label});
    }
    const std::vector<std::string> near = nearestNames(wanted, spellings);
    std::string why = "no parameter '" + wanted + "'";
    if (!near.empty())
        why += " (the nearest: " + listedNames(near) + ")";
    else if (parameters.empty())
        why += " (the instrument has none)";
    else if (parameters.size() <= kNamesListed)
        why += " (it has " + count + ": " + listedNames(shown) + ")";
    else
        why += " (it has " + count + ")";
    throw UsageError(head + why);
}
