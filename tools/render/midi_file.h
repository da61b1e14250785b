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

struct MidiFile {
    std::uint16_t format = 0;   // 0 or 1
    std::uint16_t division = 0; // raw header word: ticks per quarter, or SMPTE when bit 15 is set
    std::vector<std::vector<MidiFileEvent>> tracks;
};

// Parses a whole file held in memory. Throws ToolError naming what is wrong and where.
MidiFile parseMidiFile(std::span<const std::uint8_t> bytes);

// Reads and parses the file at `path`. Throws ToolError.
MidiFile loadMidiFile(const std::string& path);
