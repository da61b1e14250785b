// Scala scale files (.scl): `!` comment lines, a one-line description (possibly empty), the
// number of degrees, then one degree a line as cents (a number with a period) or a ratio (`3/2`,
// or a whole number meaning n/1); words after a degree's number are ignored. Degree 0 (1/1) is
// implicit and the last degree is the period: the octave, or any other interval.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Longer scales are refused: more degrees than keys already make no sense on a keyboard.
inline constexpr int kMaxScaleDegrees = 1024;

struct ScalaScale {
    std::string description;
    std::vector<double> cents; // degrees 1 to N above 1/1; the last is the period
    std::string error;         // "NAME: line N: what is wrong"; then nothing else is set

    // The interval at which the scale repeats; 0 for a scale of 1/1 alone.
    double periodCents() const { return cents.empty() ? 0.0 : cents.back(); }
};

// Parses the text of a .scl file; `fileName` names it in the error.
ScalaScale parseScalaScale(std::string_view text, std::string_view fileName);
