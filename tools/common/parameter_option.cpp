#include "tools/common/parameter_option.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>

#include "tools/common/decimal_numbers.h"
#include "tools/common/tool_error.h"

namespace {

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
