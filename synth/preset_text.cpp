#include "synth/preset_text.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

#include "synth/control_limits.h"
#include "synth/program.h"

namespace {

// A preset becomes a program, whose name buffer holds this many characters.
constexpr std::size_t kMaxNameLength = kProgramNameBytes - 1;
// A heading in lists and a bank's label in hosts: a few words.
constexpr std::size_t kMaxFamilyLength = 40;
// A line beside the name in lists and a comment in hosts.
constexpr std::size_t kMaxDescriptionLength = 100;

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

std::int32_t symbolIndex(std::string_view symbol) {
    for (std::int32_t i = 0; i < kControlCount; ++i)
        if (symbol == kParameterSymbols[i]) return i;
    return -1;
}

std::string quoted(std::string_view s) {
    std::string text = "\"";
    return (text += s) += '"';
}

class PresetReader {
  public:
    // False once a fault is recorded; the reading stops there.
    bool line(std::string_view text, int number) {
        text = trim(text);
        if (text.empty() || text.front() == '#') return true;
        if (text.front() == '[') return section(text, number);
        return value(text, number);
    }

    PresetParse finish() {
        if (result.error.empty()) closeSection();
        if (!result.error.empty()) result.presets.clear();
        return std::move(result);
    }

  private:
    bool fail(int number, const std::string& message) {
        result.error = "line " + std::to_string(number) + ": " + message;
        return false;
    }

    bool section(std::string_view text, int number) {
        if (text.back() != ']') return fail(number, "a section header ends with ']'");
        if (!closeSection()) return false;
        const std::string_view name = trim(text.substr(1, text.size() - 2));
        if (name.empty()) return fail(number, "empty preset name");
        if (name.size() > kMaxNameLength)
            return fail(number, "preset name " + quoted(name) + " is longer than " +
                                    std::to_string(kMaxNameLength) + " characters");
        for (std::size_t i = 0; i < result.presets.size(); ++i)
            if (equalIgnoringCase(result.presets[i].name, name))
                return fail(number, "preset name " + quoted(name) + " is taken on line " +
                                        std::to_string(headerLines[i]));
        // The playing controls a preset leaves out stay at their defaults.
        result.presets.push_back({std::string(name), kParameterDefaults, {}, {}});
        headerLines.push_back(number);
        given.reset();
        familyGiven = false;
        descriptionGiven = false;
        return true;
    }

    // The open preset must have had every classic symbol; it is reported at its header line.
    bool closeSection() {
        if (result.presets.empty()) return true;
        for (std::int32_t i = 0; i < kParameterCount; ++i)
            if (!given[i])
                return fail(headerLines.back(),
                            quoted(result.presets.back().name) + " lacks " + kParameterSymbols[i]);
        return true;
    }

    bool value(std::string_view text, int number) {
        if (result.presets.empty()) return fail(number, "a value before the first [name] section");
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) return fail(number, "expected symbol = value");
        const std::string_view symbol = trim(text.substr(0, equals));
        const std::string_view valueText = trim(text.substr(equals + 1));
        if (symbol == "family") return family(valueText, number);
        if (symbol == "description") return description(valueText, number);
        const std::int32_t index = symbolIndex(symbol);
        if (index < 0) return fail(number, "unknown symbol " + quoted(symbol));
        if (given[index]) return fail(number, quoted(symbol) + " given twice");

        float v = 0.0f;
        const char* end = valueText.data() + valueText.size();
        const auto [stop, error] = std::from_chars(valueText.data(), end, v);
        if (error == std::errc::result_out_of_range)
            return fail(number, quoted(valueText) + " is beyond a float's range");
        if (error != std::errc() || stop != end || valueText.empty())
            return fail(number, quoted(valueText) + " is not a number");
        if (!std::isfinite(v)) return fail(number, quoted(valueText) + " is not finite");
        const ControlRange& range = kControlRanges[index];
        const std::string what = std::string(valueText) + " is ";
        const std::string forSymbol = " for " + std::string(symbol);
        if (v < range.minimum || v > range.maximum)
            return fail(number, what + "outside " + rangeText(range) + forSymbol);
        if (range.kind != ValueKind::Continuous && v != std::round(v))
            return fail(number, what + "not a whole number" + forSymbol);
        result.presets.back().values[index] = v;
        given.set(index);
        return true;
    }

    bool family(std::string_view name, int number) {
        if (familyGiven) return fail(number, "family given twice");
        if (name.empty()) return fail(number, "family needs a name");
        if (name.size() > kMaxFamilyLength)
            return fail(number, "family name " + quoted(name) + " is longer than " +
                                    std::to_string(kMaxFamilyLength) + " characters");
        result.presets.back().family = name;
        familyGiven = true;
        return true;
    }

    bool description(std::string_view text, int number) {
        if (descriptionGiven) return fail(number, "description given twice");
        if (text.empty()) return fail(number, "description needs words");
        if (text.size() > kMaxDescriptionLength)
            return fail(number, "description is longer than " +
                                    std::to_string(kMaxDescriptionLength) + " characters");
        result.presets.back().description = text;
        descriptionGiven = true;
        return true;
    }

    PresetParse result;
    std::vector<int> headerLines; // by preset
    std::bitset<kControlCount> given;
    bool familyGiven = false;
    bool descriptionGiven = false;
};

} // namespace

PresetParse parsePresets(std::string_view text) {
    PresetReader reader;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (!reader.line(text.substr(0, end), ++number)) break;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return reader.finish();
}

const Preset* findPreset(const std::vector<Preset>& presets, std::string_view name) {
    for (const Preset& preset : presets)
        if (preset.name == name) return &preset;
    for (const Preset& preset : presets)
        if (equalIgnoringCase(preset.name, name)) return &preset;
    return nullptr;
}
