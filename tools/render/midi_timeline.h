// A MIDI file as a host plays it: every channel message of every track on one list, in time
// order, each at the sample frame where it sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/midi_file.h"

struct TimedMessage {
    std::int64_t frame = 0;          // from the start of the render
    std::uint8_t bytes[3] = {};      // status, data 1, data 2 (0 when unused)
    std::uint8_t size = 3;           // bytes used: 2 or 3; 0 for a system exclusive message
    std::vector<std::uint8_t> sysex; // a whole system exclusive message, F0 to F7; else empty
};

struct MidiTimeline {
    std::vector<TimedMessage> messages; // by frame; equal frames keep track and file order
    std::int64_t lastEventFrame = 0;    // of any event, meta events and end of track included
};

// Converts ticks to sample frames at an integer sample rate, exactly: the time in seconds is
// kept as a fraction and rounded once, to the nearest frame with ties to even.
class FrameClock {
  public:
    FrameClock(std::uint16_t division, std::int32_t rate);

    // [in tick order] Frame of `tick`; tempo changes apply from their own tick on.
    std::int64_t frameAt(std::uint64_t tick);
    // [in tick order] Time of `tick` in seconds, for messages; not limited to 31-bit frames.
    double secondsAt(std::uint64_t tick) const;
    // Tempo from `tick` on, in microseconds per quarter note; ignored under SMPTE timing.
    void setTempo(std::uint64_t tick, std::uint32_t tempo);

  private:
    // The time of `tick` in frames is elapsedAt(tick) / unitsPerFrame: whole numbers throughout,
    // so nothing is lost however many tempo changes come before.
    unsigned __int128 elapsedAt(std::uint64_t tick) const;

    bool smpte = false;
    std::uint64_t smpteScale = 1; // 1001 for 29.97 frames per second, else 1
    std::uint64_t rate = 0;
    unsigned __int128 unitsPerFrame = 0;
    std::uint64_t segmentTick = 0;        // where the current tempo began
    unsigned __int128 segmentElapsed = 0; // elapsed units at segmentTick
    std::uint32_t tempo = 500000;         // 120 beats per minute until the file says otherwise
};

// Merges the tracks of `midi` and places every event on a frame at `rate` frames per second.
// Throws ToolError "lasts ..., longer than the longest render, ..." when the piece is too long to
// render; the caller names the file.
MidiTimeline buildTimeline(const MidiFile& midi, std::int32_t rate);

// Reads the file at `path` and builds its timeline. Throws ToolError naming the file.
MidiTimeline loadTimeline(const std::string& path, std::int32_t rate);
