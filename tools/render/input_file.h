// Reads the MIDI file the user names. Anything but a regular file is refused before it is
// opened, and opening never waits: a named pipe or a device could hold open() or read() for good.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole file at `path`. Throws ToolError saying what is wrong: missing, unreadable, not a
// regular file, or larger than `maxBytes`.
std::vector<std::uint8_t> readInputFile(const std::string& path, std::size_t maxBytes);
