// Standard MIDI File reader: the header, the tracks and their events in ticks, as the file holds
// them. Timing in seconds and frames is the timeline's business.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class MidiEventKind : std::uint8_t {
    Channel, // a channel message: status and one or two data bytes
    Tempo,   // set tempo meta event
    Other,   // any other meta event or a system exclusive message: kept for its time, and a
             // whole system exclusive message for its bytes too
};

struct MidiFileEvent {
    std::uint64_t tick = 0; // absolute, from the start of its track
    MidiEventKind kind = MidiEventKind::Other;
    std::uint8_t bytes[3] = {};      // channel message, status first
    std::uint8_t size = 0;           // bytes used: 2 or 3
    std::uint32_t tempo = 0;         // microseconds per quarter note, for Tempo
    std::vector<std::uint8_t> sysex; // a whole system exclusive message, F0 to F7; else empty
};

// Where a track stops making sense, as a lenient reading keeps it.
struct TrackDamage {
    int track = 0;          // from 1
    std::size_t offset = 0; // of the bad byte, from the start of the file
    std::string what;       // "a status byte where a data byte belongs"
};

struct MidiFile {
    std::uint16_t format = 0;   // 0 or 1
    std::uint16_t division = 0; // raw header word: ticks per quarter, or SMPTE when bit 15 is set
    std::vector<std::vector<MidiFileEvent>> tracks;
    std::vector<TrackDamage> damage; // one for each damaged track, in a lenient reading
};

// How a damaged track is taken: the file refused, or the track kept up to the damage, its notes
// still held there let go at that point.
enum class MidiReading { Strict, Lenient };

// Parses a whole file held in memory. Throws ToolError naming what is wrong and where: any
// damage when strict; when lenient, damage to the file's structure (its header, a chunk that
// runs past the end), which leaves no track to read.
MidiFile parseMidiFile(std::span<const std::uint8_t> bytes,
                       MidiReading reading = MidiReading::Strict);

// Reads and parses the file at `path`. Throws ToolError.
MidiFile loadMidiFile(const std::string& path, MidiReading reading = MidiReading::Strict);
