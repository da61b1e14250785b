#include "plugin/clap/clap_streams.h"

#include <algorithm>
#include <array>
#include <cstdint>

bool writeWhole(const clap::OutputStream& stream, std::string_view bytes) {
    if (stream.write == nullptr) return false;
    while (!bytes.empty()) {
        const std::int64_t written = stream.write(&stream, bytes.data(), bytes.size());
        if (written <= 0 || static_cast<std::uint64_t>(written) > bytes.size()) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool readWhole(const clap::InputStream& stream, std::string& text, std::size_t limit) {
    if (stream.read == nullptr) return false;
    text.clear();
    std::array<char, 4096> piece;
    for (;;) {
        const std::int64_t read = stream.read(&stream, piece.data(), piece.size());
        if (read == 0) return true;
        if (read < 0 || static_cast<std::uint64_t>(read) > piece.size()) return false;
        if (text.size() + static_cast<std::size_t>(read) > limit) return false;
        text.append(piece.data(), static_cast<std::size_t>(read));
    }
}
