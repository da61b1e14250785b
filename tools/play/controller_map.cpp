#include "tools/play/controller_map.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "core/round_half_even.h"
#include "tools/common/decimal_numbers.h"
#include "tools/common/tool_error.h"

namespace {

constexpr std::uint8_t kControlChange = 0xB0;

// The controllers that MIDI leaves undefined from 102 on, so that a controller's own meaning of
// them is lost to nobody; in the editor's order of the drawbars, left to right.
constexpr std::array<std::int32_t, 6> kDrawbarsLeftToRight = {Drawbar2, Drawbar3, Drawbar4,
                                                              Drawbar6, Drawbar8, Drawbar16};
constexpr std::int32_t kFirstDrawbarController = 102;

std::vector<std::string> wordsOf(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::int32_t controlWithSymbol(const std::string& symbol) {
    for (std::int32_t index = 0; index < kControlCount; ++index)
        if (symbol == kParameterSymbols[index]) return index;
    return -1;
}

std::string allSymbols() {
    std::string list;
    for (const char* symbol : kParameterSymbols)
        list += (list.empty() ? "" : ", ") + std::string(symbol);
    return list;
}

} // namespace

ControllerMap ControllerMap::defaults() {
    ControllerMap map;
    const std::pair<std::int32_t, std::int32_t> soundControllers[] = {
        {71, Q},     {72, Release},     {73, Attack},      {74, CutOff},
        {75, Decay}, {76, VibratoRate}, {77, VibratoDepth}};
    for (const auto& [controller, control] : soundControllers)
        map.assignments[controller].control = control;
    for (std::size_t i = 0; i < kDrawbarsLeftToRight.size(); ++i)
        map.assignments[kFirstDrawbarController + i].control = kDrawbarsLeftToRight[i];
    return map;
}

ControllerMap ControllerMap::parse(std::string_view text, const std::string& source) {
    ControllerMap map;
    std::array<int, 128> definedOn{}; // the line of each controller's assignment, 0 for none
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        const std::vector<std::string> words = wordsOf(line);
        if (words.empty()) continue;
        const auto fail = [&](const std::string& problem) {
            throw ToolError(source + ":" + std::to_string(lineNumber) + ": " + problem);
        };
        if (words.size() < 2) fail("expected 'CONTROLLER SYMBOL [invert]', not '" + words[0] + "'");
        const std::optional<std::int64_t> controller = decimalInteger(words[0]);
        if (!controller || *controller < 0 || *controller > 127)
            fail("the controller is a number from 0 to 119, not '" + words[0] + "'");
        if (*controller >= kMappableControllers)
            fail("controller " + words[0] +
                 " is a channel mode message (120 to 127), which cannot be mapped");
        if (definedOn[*controller] != 0)
            fail("controller " + words[0] + " is mapped already on line " +
                 std::to_string(definedOn[*controller]));
        const std::int32_t control = controlWithSymbol(words[1]);
        if (control < 0)
            fail("no parameter has the symbol '" + words[1] + "' (the symbols: " + allSymbols() +
                 ")");
        if (words.size() > 2 && words[2] != "invert")
            fail("only 'invert' may follow the symbol, not '" + words[2] + "'");
        if (words.size() > 3) fail("nothing may follow 'invert', not '" + words[3] + "'");
        definedOn[*controller] = lineNumber;
        map.assignments[*controller] = {control, words.size() == 3};
    }
    return map;
}

ControllerMap ControllerMap::load(const std::string& path) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file) text << file.rdbuf();
    if (!file || file.bad())
        throw ToolError("cannot read the controller map " + path + ": " +
                        (errno != 0 ? std::strerror(errno) : "read error"));
    return parse(text.str(), path);
}

bool ControllerMap::apply(const std::uint8_t* bytes, std::size_t size,
                          Instrument& instrument) const {
    if (bytes == nullptr || size < 3 || (bytes[0] & 0xF0) != kControlChange) return false;
    const ControllerAssignment& assignment = assignments[bytes[1] & 0x7F];
    if (assignment.control < 0) return false;
    instrument.setParameter(assignment.control, controllerValue(assignment.control, bytes[2] & 0x7F,
                                                                assignment.inverted));
    return true;
}

float controllerValue(std::int32_t control, std::uint8_t position, bool inverted) {
    const ControlRange& range = kControlRanges[control];
    const int steps = inverted ? 127 - (position & 0x7F) : (position & 0x7F);
    const double value =
        range.minimum + (static_cast<double>(range.maximum) - range.minimum) * steps / 127;
    return static_cast<float>(range.kind == ValueKind::Continuous ? value : roundToInt(value));
}
