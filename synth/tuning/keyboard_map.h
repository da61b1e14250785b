// Scala keyboard mappings (.kbm): after `!` comment lines, one field a line — map size, first and
// last note to retune, middle note (where the first entry of the map goes), reference note and
// its frequency, the scale degree of the formal octave — then `map size` entries, each a scale
// degree or `x` for a key that does not sound. Entries at the end may be left out (unmapped). A
// map size of 0 is the linear mapping: each key one degree above the key below it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kUnmappedKey = -1;
inline constexpr int kMaxMapSize = 1024;
// Degrees beyond this are refused as typing mistakes; no scale comes near it.
inline constexpr int kMaxMappedDegree = 1'000'000;

// Default-constructed, the mapping Scala assumes without a file: linear, note 60 on degree 0,
// note 69 at 440 Hz.
struct KeyboardMap {
    int mapSize = 0; // 0: linear
    int firstNote = 0;
    int lastNote = 127;
    int middleNote = 60;
    int referenceNote = 69;
    double referenceHz = 440.0;
    int octaveDegree = 0;     // 0: the scale's last degree, its period
    std::vector<int> degrees; // mapSize entries, kUnmappedKey for `x` and left-out keys
    std::string error;        // "NAME: line N: what is wrong"; then nothing else is meaningful
};

// Parses the text of a .kbm file; `fileName` names it in the error. A reference note on an
// unmapped key is refused: nothing would say what frequency the scale has.
KeyboardMap parseKeyboardMap(std::string_view text, std::string_view fileName);
