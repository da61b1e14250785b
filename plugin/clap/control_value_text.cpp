#include "plugin/clap/control_value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "synth/control_text.h"
#include "synth/parameters.h"

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool controlValueToText(std::int32_t index, double value, char* text, std::size_t capacity) {
    if (!isControlIndex(index) || text == nullptr || capacity == 0) return false;
    const ControlRange& range = kControlRanges[index];
    // Shown as the value it plays as: the nearest within the range.
    const std::string shown =
        std::isnan(value)
            ? "nan"
            : controlValueText(
                  index, static_cast<float>(std::clamp(value, static_cast<double>(range.minimum),
                                                       static_cast<double>(range.maximum))));
    const std::size_t length = std::min(shown.size(), capacity - 1);
    std::memcpy(text, shown.data(), length);
    text[length] = '\0';
    return true;
}

std::optional<double> controlValueFromText(std::int32_t index, std::string_view text) {
    if (!isControlIndex(index)) return std::nullopt;
    const ControlRange& range = kControlRanges[index];
    text = trimmed(text);
    if (range.kind == ValueKind::Choice)
        for (std::size_t choice = 0; choice < choiceNames(index).size(); ++choice)
            if (sameLetters(text, choiceNames(index)[choice])) return static_cast<double>(choice);
    // A unit may stand before the number, as the scale's does ("x4.0").
    const std::string_view unit = range.unit;
    if (!unit.empty() && text.size() > unit.size() &&
        sameLetters(text.substr(0, unit.size()), unit))
        text = trimmed(text.substr(unit.size()));
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || std::isnan(value)) return std::nullopt;
    const std::string_view rest = trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
    if (!rest.empty() && !sameLetters(rest, range.unit)) return std::nullopt;
    if (range.kind != ValueKind::Continuous) value = std::round(value);
    return std::clamp(value, static_cast<double>(range.minimum),
                      static_cast<double>(range.maximum));
}
