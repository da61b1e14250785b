#include "tools/render/midi_file.h"

#include <algorithm>
#include <cstring>

#include "tools/common/tool_error.h"
#include "tools/render/escaped_text.h"
#include "tools/render/input_file.h"

namespace {

// Anything larger is not a piece of music but a mistake.
constexpr std::size_t kMaxFileBytes = 64u << 20;

// A fault at a byte of the file: thrown as a ToolError whose text says where, and kept apart for
// a lenient reading.
struct ByteFault : ToolError {
    ByteFault(const std::string& where, std::size_t offset, const std::string& what)
        : ToolError(where + ", byte " + std::to_string(offset) + ": " + what), offset(offset),
          what(what) {}
    std::size_t offset;
    std::string what;
};

// Bounded reading of one chunk; every read past its end is an error that names the chunk and
// the byte of the file where it happens (`base` is the chunk's first).
class ByteReader {
  public:
    ByteReader(std::span<const std::uint8_t> data, std::string where, std::size_t base = 0)
        : data(data), where(std::move(where)), base(base) {}

    bool atEnd() const { return pos == data.size(); }
    std::size_t offset() const { return pos; }
    // Bytes already read past: `length` of them from `start`.
    std::span<const std::uint8_t> bytesAt(std::size_t start, std::size_t length) const {
        return data.subspan(start, length);
    }

    std::uint8_t byte() {
        need(1);
        return data[pos++];
    }
    std::uint8_t peek() {
        need(1);
        return data[pos];
    }
    std::uint32_t bigEndian(int count) {
        need(static_cast<std::size_t>(count));
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | data[pos++];
        return value;
    }
    // Variable-length quantity: seven bits a byte, most significant first, at most four bytes.
    std::uint32_t varLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            value = (value << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0) return value;
        }
        fail("a variable-length number runs over four bytes");
    }
    void skip(std::size_t count) {
        need(count);
        pos += count;
    }
    // At the byte `back` bytes before the next one to read.
    [[noreturn]] void fail(const std::string& what, std::size_t back = 0) const {
        throw ByteFault(where, base + pos - back, what);
    }

  private:
    void need(std::size_t count) const {
        if (data.size() - pos < count) fail("ends in the middle of an event");
    }

    std::span<const std::uint8_t> data;
    std::string where;
    std::size_t base;
    std::size_t pos = 0;
};

// The notes a track holds down and the pedals it holds, by channel, so that a track cut short
// by damage lets them go.
class HeldNotes {
  public:
    void follow(const MidiFileEvent& e) {
        const std::uint8_t type = e.bytes[0] & 0xF0u, channel = e.bytes[0] & 0x0Fu;
        if (type == 0x90u || type == 0x80u) {
            auto& count = notes[channel][e.bytes[1]];
            if (type == 0x90u && e.bytes[2] > 0)
                ++count;
            else if (count > 0)
                --count;
        } else if (type == 0xB0u && e.bytes[1] == kSustainPedal) {
            pedal[channel] = e.bytes[2] >= 64;
        }
    }
    // Note-offs and pedal releases at `tick` for all of them.
    void release(std::uint64_t tick, std::vector<MidiFileEvent>& events) const {
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            for (std::uint8_t note = 0; note < 128; ++note)
                for (int i = 0; i < notes[channel][note]; ++i)
                    events.push_back(channelEvent(tick, 0x80u, channel, note));
            if (pedal[channel]) events.push_back(channelEvent(tick, 0xB0u, channel, kSustainPedal));
        }
    }

  private:
    static constexpr std::uint8_t kSustainPedal = 64;
    // A message of `type` on `channel` whose second data byte is 0.
    static MidiFileEvent channelEvent(std::uint64_t tick, unsigned type, std::uint8_t channel,
                                      std::uint8_t data1) {
        MidiFileEvent e;
        e.tick = tick;
        e.kind = MidiEventKind::Channel;
        e.bytes[0] = static_cast<std::uint8_t>(type | channel);
        e.bytes[1] = data1;
        e.size = 3;
        return e;
    }
    int notes[16][128] = {};
    bool pedal[16] = {};
};

// Data bytes that follow a channel status: one for program change and channel pressure.
int dataBytesOf(std::uint8_t status) {
    const std::uint8_t type = status & 0xF0u;
    return (type == 0xC0u || type == 0xD0u) ? 1 : 2;
}

// The events of one track, up to its end or a fault. `tick` and `held` follow every event read,
// so that a fault leaves them as they stood before it.
void readEvents(ByteReader& in, std::vector<MidiFileEvent>& events, std::uint64_t& tick,
                HeldNotes& held) {
    std::uint8_t runningStatus = 0;
    while (!in.atEnd()) {
        tick += in.varLength();
        MidiFileEvent event;
        event.tick = tick;
        std::uint8_t status = in.peek();
        if (status < 0x80u) {
            // Running status: the previous channel status applies. It is kept across meta and
            // system exclusive events too, so that files written that way still play.
            if (runningStatus == 0) in.fail("a data byte with no status before it");
            status = runningStatus;
        } else {
            in.byte();
        }
        if (status == 0xFFu) {
            const std::uint8_t type = in.byte();
            const std::uint32_t length = in.varLength();
            if (type == 0x51u && length == 3) {
                event.kind = MidiEventKind::Tempo;
                event.tempo = in.bigEndian(3);
                if (event.tempo == 0) in.fail("a tempo of 0 microseconds per quarter note", 3);
            } else {
                in.skip(length);
            }
            events.push_back(event);
            if (type == 0x2Fu) break; // end of track: whatever follows in the chunk is ignored
        } else if (status == 0xF0u || status == 0xF7u) {
            const std::uint32_t length = in.varLength();
            const std::size_t start = in.offset();
            in.skip(length);
            // A message in one piece is kept; packets of a divided one and escapes are not.
            const std::span<const std::uint8_t> data = in.bytesAt(start, length);
            if (status == 0xF0u && !data.empty() && data.back() == 0xF7u) {
                event.sysex.push_back(0xF0u);
                event.sysex.insert(event.sysex.end(), data.begin(), data.end());
            }
            events.push_back(std::move(event));
        } else if (status >= 0xF0u) {
            in.fail("status byte " + std::to_string(status) + " has no place in a MIDI file", 1);
        } else {
            runningStatus = status;
            event.kind = MidiEventKind::Channel;
            event.bytes[0] = status;
            event.size = static_cast<std::uint8_t>(1 + dataBytesOf(status));
            for (int i = 1; i < event.size; ++i) {
                if (in.peek() >= 0x80u) in.fail("a status byte where a data byte belongs");
                event.bytes[i] = in.byte();
            }
            events.push_back(event);
            held.follow(event);
        }
    }
}

// Reads the track in `chunk`, which starts at byte `base` of the file. Lenient, a fault ends the
// track there, recorded in `damage`, with its held notes let go; strict, it is thrown.
std::vector<MidiFileEvent> parseTrack(std::span<const std::uint8_t> chunk, int trackNumber,
                                      std::size_t base, MidiReading reading,
                                      std::vector<TrackDamage>& damage) {
    ByteReader in(chunk, "track " + std::to_string(trackNumber), base);
    std::vector<MidiFileEvent> events;
    std::uint64_t tick = 0;
    HeldNotes held;
    try {
        readEvents(in, events, tick, held);
    } catch (const ByteFault& fault) {
        if (reading == MidiReading::Strict) throw;
        damage.push_back({trackNumber, fault.offset, fault.what});
        held.release(tick, events);
    }
    return events;
}

} // namespace

MidiFile parseMidiFile(std::span<const std::uint8_t> bytes, MidiReading reading) {
    ByteReader file(bytes, "file");
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0)
        throw ToolError("not a Standard MIDI File (it starts with '" +
                        escapeBytes({reinterpret_cast<const char*>(bytes.data()),
                                     std::min<std::size_t>(bytes.size(), 4)}) +
                        "', not an MThd header)");
    file.skip(4);
    const std::uint32_t headerLength = file.bigEndian(4);
    if (headerLength < 6) file.fail("the MThd header is shorter than 6 bytes");
    MidiFile midi;
    midi.format = static_cast<std::uint16_t>(file.bigEndian(2));
    const std::uint32_t trackCount = file.bigEndian(2);
    midi.division = static_cast<std::uint16_t>(file.bigEndian(2));
    if (bytes.size() - 8 < headerLength) file.fail("the MThd header is cut short");
    file.skip(headerLength - 6);
    if (midi.format > 1)
        throw ToolError("format " + std::to_string(midi.format) +
                        " MIDI files are not supported (only formats 0 and 1)");
    if (midi.division == 0) throw ToolError("the header gives 0 ticks per quarter note");
    if ((midi.division & 0x8000u) != 0) {
        const int fps = -static_cast<std::int8_t>(midi.division >> 8);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || (midi.division & 0xFFu) == 0)
            throw ToolError("the header's SMPTE time division is invalid");
    }
    while (midi.tracks.size() < trackCount) {
        if (file.atEnd())
            throw ToolError("the file ends after " + std::to_string(midi.tracks.size()) +
                            " of its " + std::to_string(trackCount) + " tracks");
        if (bytes.size() - file.offset() < 8)
            throw ToolError("the file ends in the middle of a chunk header (truncated file?)");
        char type[4];
        for (char& c : type)
            c = static_cast<char>(file.byte());
        const std::uint32_t length = file.bigEndian(4);
        if (bytes.size() - file.offset() < length)
            throw ToolError("chunk '" + escapeBytes({type, 4}) + "' at byte " +
                            std::to_string(file.offset() - 8) +
                            " claims more bytes than the file holds (truncated file?)");
        const auto chunk = bytes.subspan(file.offset(), length);
        file.skip(length);
        // Chunks of other types are allowed by the format and skipped.
        if (std::memcmp(type, "MTrk", 4) == 0)
            midi.tracks.push_back(parseTrack(chunk, static_cast<int>(midi.tracks.size()) + 1,
                                             file.offset() - length, reading, midi.damage));
    }
    return midi;
}

MidiFile loadMidiFile(const std::string& path, MidiReading reading) {
    const std::vector<std::uint8_t> bytes = readInputFile(path, kMaxFileBytes);
    try {
        return parseMidiFile(bytes, reading);
    } catch (const ToolError& e) {
        throw ToolError("'" + path + "': " + e.what());
    }
}
