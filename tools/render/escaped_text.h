// Bytes shown in a one-line message without harm to the terminal or the line.
#pragma once

#include <string>
#include <string_view>

// Bytes read from a file: printable ASCII as is, every other byte as \xNN, so that a NUL does not
// cut the message short and binary never reaches the terminal.
std::string escapeBytes(std::string_view bytes);

// A whole message: only control characters as \xNN, so that a file name in UTF-8 stays readable
// while a newline in it cannot break the line.
std::string escapeControls(std::string_view text);
