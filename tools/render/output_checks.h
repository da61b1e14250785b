// Checks made on the output's name before anything is rendered: a render replaces its output by
// renaming a new file over it, which the folder's permission allows whatever the file's own.
#pragma once

#include <string>

// Throws ToolError when `output` is the input itself, by the same path or the same device and
// inode (a hard link, "./" or "../" on the way): the render would replace the MIDI file.
void refuseOutputOverInput(const std::string& input, const std::string& output);

// Throws ToolError when `output` exists and is not a regular file, or is one that the user may
// not write. A file without any write permission is refused even to root, who may write
// anything: its owner has marked it as not to be replaced.
void refuseProtectedOutput(const std::string& output);
