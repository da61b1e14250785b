#include "synth/bank_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "synth/control_limits.h"
#include "synth/tuning/tuning_state_text.h"

namespace {

constexpr std::string_view kHeader = "ulvodraw-bank";

std::string_view nextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The next space-separated word of `line`, which loses it and the one space after it.
std::string_view nextWord(std::string_view& line) {
    const std::size_t end = line.find(' ');
    std::string_view word = line.substr(0, end);
    line = end == std::string_view::npos ? std::string_view{} : line.substr(end + 1);
    return word;
}

template <typename T> bool parseWhole(std::string_view word, T& out) {
    if (word.empty()) return false;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), out);
    return error == std::errc{} && end == word.data() + word.size();
}

// "program P v0 ... vN name", with the values of the controls its version has: false, and
// nothing changed, unless every field is sound.
bool restoreProgram(Instrument& instrument, std::string_view line, std::int32_t version) {
    std::int32_t p = -1;
    if (!parseWhole(nextWord(line), p) || p < 0 || p >= kProgramCount) return false;
    const std::int32_t count = bankTextControls(version);
    std::array<float, kControlCount> values{};
    for (std::int32_t index = 0; index < count; ++index)
        if (!parseWhole(nextWord(line), values[index]) || !std::isfinite(values[index]))
            return false;
    std::string name(line.substr(0, kProgramNameBytes - 1));
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    for (std::int32_t index = 0; index < count; ++index)
        instrument.setProgramValue(p, index, heldInRange(index, values[index]));
    instrument.setProgramName(p, name.c_str());
    return true;
}

} // namespace

std::string writeBankText(const Instrument& instrument, std::string_view tuningLines) {
    const std::int32_t version = tuningLines.empty() ? kBankTextVersion : kTuningBankTextVersion;
    std::string text = std::string(kHeader) + " " + std::to_string(version) + "\n";
    text += "current " + std::to_string(instrument.currentProgram()) + "\n";
    for (std::int32_t p = 0; p < kProgramCount; ++p) {
        const VstXSynthProgram& program = instrument.program(p);
        text += "program " + std::to_string(p);
        for (std::int32_t index = 0; index < kControlCount; ++index) {
            char number[32];
            const auto result = std::to_chars(number, number + sizeof number, program.value(index));
            text += ' ';
            text.append(number, result.ptr);
        }
        text += ' ';
        for (const char* c = program.name; *c != '\0'; ++c)
            text += static_cast<unsigned char>(*c) < 0x20 ? ' ' : *c;
        text += '\n';
    }
    return text += tuningLines;
}

std::string withTuningLines(std::string_view bank, std::string_view tuningLines) {
    std::string_view rest = bank;
    std::string_view header = nextLine(rest);
    std::int32_t version = 0;
    if (nextWord(header) != kHeader || !parseWhole(nextWord(header), version) || version < 1)
        return {};
    if (version < kTuningBankTextVersion && !tuningLines.empty()) return {};
    std::string text(bank.substr(0, bank.size() - rest.size()));
    while (!rest.empty()) {
        // Each line whole, its CR and LF kept.
        const std::size_t end = rest.find('\n');
        const std::string_view whole =
            rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        rest.remove_prefix(whole.size());
        std::string_view copy = whole;
        std::string_view line = nextLine(copy);
        const std::string_view keyword = nextWord(line);
        if (version < kTuningBankTextVersion || !isTuningKeyword(keyword)) text += whole;
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text += tuningLines;
}

BankRestore restoreBankText(Instrument& instrument, std::string_view text) {
    BankRestore result;
    std::string_view header = nextLine(text);
    if (nextWord(header) != kHeader) return result;
    std::int32_t version = 0;
    if (!parseWhole(nextWord(header), version) || version < 1) return result;
    result.recognised = true;
    result.version = version;
    result.newerVersion = version > kBankTextVersion;
    // Written when every program played the controls it lacks at their classic values.
    for (std::int32_t p = 0; p < kProgramCount; ++p)
        for (std::int32_t index = bankTextControls(version); index < kControlCount; ++index)
            instrument.setProgramValue(p, index, kClassicValues[index]);

    std::int32_t current = -1;
    while (!text.empty()) {
        std::string_view line = nextLine(text);
        if (line.empty()) continue;
        const std::string_view keyword = nextWord(line);
        std::int32_t p = -1;
        if (keyword == "program" && restoreProgram(instrument, line, version))
            ++result.programs;
        else if (keyword == "current" && parseWhole(line, p) && p >= 0 && p < kProgramCount)
            current = p;
        else if (version >= kTuningBankTextVersion && isTuningKeyword(keyword))
            continue; // the front's to read
        else
            ++result.skippedLines;
    }
    result.currentRestored = current >= 0;
    // Settled, so that a restored instance sounds the same whatever it played before.
    instrument.settleProgram(current >= 0 ? current : instrument.currentProgram());
    return result;
}
