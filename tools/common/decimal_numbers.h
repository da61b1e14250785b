// Numbers on the tools' command lines: plain decimal digits with an optional minus sign (and one
// point for reals). strtoll and strtod alone would also take spaces, a plus sign, hexadecimal,
// exponents, "inf" and "nan", and read "0x10" as sixteen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The value of `text`, or nothing when it is not a plain decimal whole number in range.
std::optional<std::int64_t> decimalInteger(const std::string& text);
// The value of `text`, or nothing when it is not a plain decimal number.
std::optional<double> decimalReal(const std::string& text);

// The value `option` was given, a whole number from `low` to `high`. Throws ToolError
// "--block takes a whole number from 1 to 1048576, not 'x'".
std::int64_t parseInteger(const std::string& option, const std::string& text, std::int64_t low,
                          std::int64_t high);
// The value `option` was given, a number from `low` to `high`. Throws ToolError
// "--tail takes a number from 0 to 3600, not 'x'".
double parseReal(const std::string& option, const std::string& text, double low, double high);
