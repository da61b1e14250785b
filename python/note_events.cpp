#include "python/note_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/common/tool_error.h"

namespace {

std::uint16_t wholeIn(double value, double low, double high, const char* what) {
    if (!std::isfinite(value) || value < low || value > high || value != std::floor(value)) {
        char text[160];
        std::snprintf(text, sizeof text, "a %s takes a whole number from %g to %g, not %g", what,
                      low, high, value);
        throw UsageError(text);
    }
    return static_cast<std::uint16_t>(value);
}

// At one frame: note-offs, then controllers of every kind, then note-ons.
int rank(PlayEvent::Kind kind) {
    switch (kind) {
    case PlayEvent::Kind::NoteOff:
        return 0;
    case PlayEvent::Kind::NoteOn:
        return 2;
    default:
        return 1;
    }
}

} // namespace

std::int64_t frameOf(double seconds, float rate, const char* what) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds > kLongestRenderSeconds) {
        char text[160];
        std::snprintf(text, sizeof text, "a %s takes seconds from 0 to %g, not %g", what,
                      kLongestRenderSeconds, seconds);
        throw UsageError(text);
    }
    return std::llround(seconds * rate);
}

std::vector<PlayEvent> noteEvents(std::span<const NoteSpec> notes,
                                  std::span<const ControllerSpec> controllers, float rate) {
    using Kind = PlayEvent::Kind;
    std::vector<PlayEvent> events;
    for (const NoteSpec& note : notes) {
        const auto key = static_cast<std::uint8_t>(wholeIn(note.key, 0, 127, "note's key"));
        const std::uint16_t velocity = wholeIn(note.velocity, 1, 127, "note's velocity");
        const std::int64_t on = frameOf(note.start, rate, "note's start");
        if (!(note.length > 0))
            throw UsageError("a note's length takes seconds above 0, not " +
                             std::to_string(note.length));
        const std::int64_t off = frameOf(note.start + note.length, rate, "note's end");
        events.push_back({on, Kind::NoteOn, key, velocity});
        events.push_back({off, Kind::NoteOff, key, 0});
    }
    for (const ControllerSpec& c : controllers) {
        const std::int64_t frame = frameOf(c.time, rate, "controller's time");
        if (c.number == kBendController)
            events.push_back({frame, Kind::Bend, 0, wholeIn(c.value, 0, 16383, "bend")});
        else if (c.number == kPressureController)
            events.push_back(
                {frame, Kind::Pressure, 0, wholeIn(c.value, 0, 127, "channel pressure")});
        else
            events.push_back(
                {frame, Kind::Controller,
                 static_cast<std::uint8_t>(wholeIn(c.number, 0, 127, "controller's number")),
                 wholeIn(c.value, 0, 127, "controller's value")});
    }
    std::stable_sort(events.begin(), events.end(), [](const PlayEvent& a, const PlayEvent& b) {
        return a.frame != b.frame ? a.frame < b.frame : rank(a.kind) < rank(b.kind);
    });
    return events;
}

std::vector<PlayEvent> fileEvents(const std::vector<TimedMessage>& messages) {
    std::vector<PlayEvent> events;
    events.reserve(messages.size());
    for (const TimedMessage& m : messages)
        events.push_back({m.frame, PlayEvent::Kind::FileMessage, 0, 0, &m});
    return events;
}
