#include "tests/tools/midi_bytes.h"

#include <fstream>
#include <stdexcept>

Bytes varLength(std::uint32_t value) {
    Bytes out{static_cast<std::uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0)
        out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

TrackBytes& TrackBytes::add(std::uint32_t delta, std::initializer_list<std::uint8_t> event) {
    const Bytes d = varLength(delta);
    body.insert(body.end(), d.begin(), d.end());
    body.insert(body.end(), event.begin(), event.end());
    return *this;
}

TrackBytes& TrackBytes::tempo(std::uint32_t delta, std::uint32_t t) {
    return add(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(t >> 16),
                       static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t)});
}

TrackBytes& TrackBytes::end(std::uint32_t delta) {
    return add(delta, {0xFF, 0x2F, 0x00});
}

namespace {
void put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}
void put16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
} // namespace

Bytes TrackBytes::chunk() const {
    Bytes out{'M', 'T', 'r', 'k'};
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes midiFile(std::uint16_t format, std::uint16_t division,
               const std::vector<TrackBytes>& tracks) {
    Bytes out{'M', 'T', 'h', 'd'};
    put32(out, 6);
    put16(out, format);
    put16(out, static_cast<std::uint16_t>(tracks.size()));
    put16(out, division);
    for (const TrackBytes& t : tracks) {
        const Bytes c = t.chunk();
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}
