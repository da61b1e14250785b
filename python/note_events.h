// Notes and controller moves given in seconds, as typed events on frames: what a render plays.
// They reach the MIDI front's typed entries; only a MIDI file's messages go through its byte
// decoder.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/render/midi_timeline.h"

struct NoteSpec {
    double key = 60;       // whole, 0 to 127
    double velocity = 100; // whole, 1 to 127
    double start = 0;      // seconds, 0 or more
    double length = 1;     // seconds, above 0
};

// A controller (0 to 127), the bend (0 to 16383, 8192 in the middle) or channel pressure.
inline constexpr std::int32_t kBendController = 128;
inline constexpr std::int32_t kPressureController = 129;

struct ControllerSpec {
    std::int32_t number = 0;
    double value = 0; // whole, within the controller's range
    double time = 0;  // seconds, 0 or more
};

// The longest render: an hour, at any rate.
inline constexpr double kLongestRenderSeconds = 3600.0;

// The frame nearest to `seconds` at `rate`. Throws UsageError naming `what` when the time is not
// a number, negative, or beyond the longest render.
std::int64_t frameOf(double seconds, float rate, const char* what);

// One thing a render plays at its frame.
struct PlayEvent {
    enum class Kind : std::uint8_t { NoteOff, Controller, Bend, Pressure, NoteOn, FileMessage };
    std::int64_t frame = 0;
    Kind kind = Kind::NoteOn;
    std::uint8_t number = 0; // the key, or the controller's number
    std::uint16_t value = 0; // the velocity, the controller's value, the bend or the pressure
    const TimedMessage* message = nullptr; // a FileMessage's bytes, owned by its timeline
};

// Every note's on and off and every controller move, in frame order; at one frame note-offs come
// first, then controllers, then note-ons, so a note repeated on its own release sounds again.
// Throws UsageError for a value out of range or not a number.
std::vector<PlayEvent> noteEvents(std::span<const NoteSpec> notes,
                                  std::span<const ControllerSpec> controllers, float rate);

// A MIDI file's messages as events, each pointing into `messages`, which must outlive them.
std::vector<PlayEvent> fileEvents(const std::vector<TimedMessage>& messages);
