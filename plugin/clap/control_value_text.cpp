#include "plugin/clap/control_value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "synth/parameters.h"

namespace {

// Decimal places a control's value shows: decibels with one, a count of cents with none.
int decimalsOf(std::int32_t index) {
    const std::string_view unit = kControlRanges[index].unit;
    if (unit == "dB") return 1;
    if (unit == "ct") return 0;
    return 2;
}

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
    char buffer[64];
    char* end = buffer;
    if (std::isnan(value)) {
        end = std::copy_n("nan", 3, buffer);
    } else if (range.kind == ValueKind::Choice) {
        const double held = std::clamp(std::round(value), static_cast<double>(range.minimum),
                                       static_cast<double>(range.maximum));
        const char* name = choiceNames(index)[static_cast<std::size_t>(held)];
        end = std::copy_n(name, std::strlen(name), buffer);
    } else {
        const int decimals = range.kind == ValueKind::Integer ? 0 : decimalsOf(index);
        // Numbers beyond what a control can hold print in full rather than in a fixed form that
        // would not fit the buffer.
        const auto result =
            std::fabs(value) < 1e15
                ? std::to_chars(buffer, buffer + 40, value, std::chars_format::fixed, decimals)
                : std::to_chars(buffer, buffer + 40, value);
        end = result.ptr;
        if (*range.unit != '\0') {
            *end++ = ' ';
            end = std::copy_n(range.unit, std::strlen(range.unit), end);
        }
    }
    const std::size_t length = std::min(static_cast<std::size_t>(end - buffer), capacity - 1);
    std::memcpy(text, buffer, length);
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
