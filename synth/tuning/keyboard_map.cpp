#include "synth/tuning/keyboard_map.h"

#include <cstdint>
#include <iterator>
#include <utility>

#include "synth/tuning/tuning_text.h"

using namespace tuning_text;

namespace {

KeyboardMap failedWith(std::string error) {
    KeyboardMap map;
    map.error = std::move(error);
    return map;
}

KeyboardMap failed(std::string_view fileName, int lineNumber, std::string_view what) {
    return failedWith(lineError(fileName, lineNumber, what));
}

// Reads the next field as a whole number from `low` to `high`; the error, or "".
std::string integerField(Lines& lines, Line& line, std::string_view fileName, std::string_view name,
                         int low, int high, int& value) {
    if (!lines.next(line, true))
        return lineError(fileName, lines.endNumber(),
                         "the file ends before the " + std::string(name));
    const std::string_view word = firstWord(line.text);
    std::int64_t parsed = 0;
    if (parseInteger(word, parsed) == Parsed::NotANumber)
        return lineError(fileName, line.number,
                         "the " + std::string(name) + " " + quoted(word) +
                             " is not a whole number");
    if (parsed < low || parsed > high)
        return lineError(fileName, line.number,
                         "the " + std::string(name) + " " + quoted(word) + " is outside " +
                             std::to_string(low) + " to " + std::to_string(high));
    value = static_cast<int>(parsed);
    return "";
}

// The map entry of `note`, which the linear mapping always has.
int entryOf(const KeyboardMap& map, int note) {
    if (map.mapSize == 0) return 0;
    const int offset = note - map.middleNote;
    const int index = ((offset % map.mapSize) + map.mapSize) % map.mapSize;
    return map.degrees[static_cast<std::size_t>(index)];
}

} // namespace

KeyboardMap parseKeyboardMap(std::string_view text, std::string_view fileName) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return failed(fileName, 1, "the file is empty");
    Lines lines(text);
    Line line;
    KeyboardMap map;
    const struct {
        const char* name;
        int low;
        int high;
        int* value;
    } notes[] = {{"map size", 0, kMaxMapSize, &map.mapSize},
                 {"first note", 0, 127, &map.firstNote},
                 {"last note", 0, 127, &map.lastNote},
                 {"middle note", 0, 127, &map.middleNote},
                 {"reference note", 0, 127, &map.referenceNote}};
    int fieldLines[std::size(notes)] = {};
    for (std::size_t i = 0; i < std::size(notes); ++i) {
        std::string error = integerField(lines, line, fileName, notes[i].name, notes[i].low,
                                         notes[i].high, *notes[i].value);
        if (!error.empty()) return failedWith(std::move(error));
        fieldLines[i] = line.number;
    }
    if (map.lastNote < map.firstNote)
        return failed(fileName, fieldLines[2],
                      "the last note " + std::to_string(map.lastNote) +
                          " is below the first note " + std::to_string(map.firstNote));

    if (!lines.next(line, true))
        return failed(fileName, lines.endNumber(), "the file ends before the reference frequency");
    const std::string_view frequencyWord = firstWord(line.text);
    switch (parseDecimal(frequencyWord, map.referenceHz)) {
    case Parsed::NotANumber:
        return failed(fileName, line.number,
                      "the reference frequency " + quoted(frequencyWord) + " is not a number");
    case Parsed::OutOfRange:
        return failed(fileName, line.number,
                      "the reference frequency " + quoted(frequencyWord) + " is not finite");
    case Parsed::Ok:
        break;
    }
    if (!(map.referenceHz > 0.0))
        return failed(fileName, line.number,
                      "the reference frequency " + quoted(frequencyWord) + " is not above 0 Hz");

    std::string error =
        integerField(lines, line, fileName, "octave degree", 0, kMaxMappedDegree, map.octaveDegree);
    if (!error.empty()) return failedWith(std::move(error));

    map.degrees.reserve(static_cast<std::size_t>(map.mapSize));
    while (lines.next(line, true)) {
        if (map.degrees.size() == static_cast<std::size_t>(map.mapSize))
            return failed(fileName, line.number,
                          "a mapping entry beyond the map size of " + std::to_string(map.mapSize));
        const std::string_view word = firstWord(line.text);
        if (word == "x" || word == "X") {
            map.degrees.push_back(kUnmappedKey);
            continue;
        }
        std::int64_t degree = 0;
        if (parseInteger(word, degree) == Parsed::NotANumber)
            return failed(fileName, line.number,
                          "the mapping entry " + quoted(word) + " is neither a scale degree nor x");
        if (degree < 0 || degree > kMaxMappedDegree)
            return failed(fileName, line.number,
                          "the mapping entry " + quoted(word) + " is outside 0 to " +
                              std::to_string(kMaxMappedDegree));
        map.degrees.push_back(static_cast<int>(degree));
    }
    map.degrees.resize(static_cast<std::size_t>(map.mapSize), kUnmappedKey);
    if (entryOf(map, map.referenceNote) == kUnmappedKey)
        return failed(fileName, fieldLines[4],
                      "the reference note " + std::to_string(map.referenceNote) +
                          " falls on an unmapped key");
    return map;
}
