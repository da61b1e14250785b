// Reading a whole tuning file into memory, so parsing stays free of the file system and a file
// kept in a session's state parses the same way as one read from disk.
#pragma once

#include <cstddef>
#include <string>

// Tuning files are a few kilobytes; anything this large is not one.
inline constexpr std::size_t kMaxTuningFileBytes = 1 << 20;

struct TextFile {
    std::string text;
    std::string error; // "PATH: what is wrong"; then the text is empty
};

TextFile readTextFile(const std::string& path);
