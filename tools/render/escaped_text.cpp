#include "tools/render/escaped_text.h"

#include <cstdio>

namespace {

template <typename KeepByte> std::string escapeUnless(std::string_view bytes, KeepByte keep) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (keep(byte)) {
            out += c;
            continue;
        }
        char code[5];
        std::snprintf(code, sizeof code, "\\x%02X", byte);
        out += code;
    }
    return out;
}

} // namespace

std::string escapeBytes(std::string_view bytes) {
    return escapeUnless(bytes, [](unsigned char b) { return b >= 0x20 && b < 0x7F; });
}

std::string escapeControls(std::string_view text) {
    return escapeUnless(text, [](unsigned char b) { return b >= 0x20 && b != 0x7F; });
}
