// Literals for the generated Turtle files: strings escaped, and floats as decimals that read
// back to the very same float.
#pragma once

#include <string>
#include <string_view>

// `text` in double quotes, with quotes, backslashes and control characters escaped.
std::string turtleString(std::string_view text);

// The shortest decimal (always with a point, never an exponent) that gives `value` back both when
// read straight into a float and when read into a double first, as some hosts do.
std::string turtleDecimal(float value);
