#include "plugin/lv2/turtle_literals.h"

#include <charconv>
#include <cstdio>

std::string turtleString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string turtleDecimal(float value) {
    // A float's exact decimal expansion has at most 149 fractional digits, so a finite value
    // always stops the search there.
    char text[256];
    char* end = text;
    for (int digits = 1; digits <= 149; ++digits) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits).ptr;
        float direct = 0.0f;
        double wide = 0.0;
        std::from_chars(text, end, direct);
        std::from_chars(text, end, wide);
        if (direct == value && static_cast<float>(wide) == value) break;
    }
    return std::string(text, end);
}
