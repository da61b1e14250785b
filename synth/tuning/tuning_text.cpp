#include "synth/tuning/tuning_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tuning_text {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

bool Lines::next(Line& line, bool skipBlank) {
    while (position < text.size()) {
        std::size_t end = position;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::string_view current = text.substr(position, end - position);
        position = end;
        if (position < text.size() && text[position++] == '\r' && position < text.size() &&
            text[position] == '\n')
            ++position;
        ++lastNumber;
        const std::string_view content = trimmed(current);
        if (!content.empty() && content.front() == '!') continue;
        if (skipBlank && content.empty()) continue;
        line = {current, lastNumber};
        return true;
    }
    return false;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view firstWord(std::string_view text) {
    text = trimmed(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    return text.substr(0, end);
}

Parsed parseInteger(std::string_view word, std::int64_t& value) {
    std::size_t i = 0;
    const bool negative = !word.empty() && (word[0] == '-' || word[0] == '+');
    if (negative) i = 1;
    if (i == word.size()) return Parsed::NotANumber;
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return Parsed::NotANumber;
        if (magnitude > 1'000'000'000'000'000)
            tooLarge = true;
        else
            magnitude = magnitude * 10 + (word[i] - '0');
    }
    if (tooLarge || magnitude > 1'000'000'000'000'000) return Parsed::OutOfRange;
    value = word[0] == '-' ? -magnitude : magnitude;
    return Parsed::Ok;
}

Parsed parseDecimal(std::string_view word, double& value) {
    if (word.empty() || word[0] == '+') return Parsed::NotANumber;
    // from_chars also reads "inf" and "nan": those are numbers, but not finite ones.
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), parsed);
    if (end != word.data() + word.size()) return Parsed::NotANumber;
    if (error == std::errc::result_out_of_range || !std::isfinite(parsed))
        return Parsed::OutOfRange;
    if (error != std::errc()) return Parsed::NotANumber;
    value = parsed;
    return Parsed::Ok;
}

std::string lineError(std::string_view fileName, int lineNumber, std::string_view what) {
    return std::string(fileName) + ": line " + std::to_string(lineNumber) + ": " +
           std::string(what);
}

std::string quoted(std::string_view word) {
    constexpr std::size_t kShown = 24;
    std::string text = "\"";
    text += word.substr(0, kShown);
    text += word.size() > kShown ? "...\"" : "\"";
    return text;
}

} // namespace tuning_text
