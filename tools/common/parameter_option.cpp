#include "tools/common/parameter_option.h"

#include <algorithm>

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
    const double value = parseReal("--param " + name, text.substr(equals + 1), 0.0, 1.0);
    return {name, static_cast<float>(value)};
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
