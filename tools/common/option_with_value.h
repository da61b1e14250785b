// An option that takes a value, written as "--name value" or "--name=value".
#pragma once

#include <string>

struct OptionWithValue {
    std::string name;
    std::string value;
    bool valueInline = false; // the value came after '=' in the same argument
};

inline OptionWithValue splitOption(const std::string& arg) {
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos) return {arg, "", false};
    return {arg.substr(0, equals), arg.substr(equals + 1), true};
}
