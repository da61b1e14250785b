#include "python/note_messages.h"

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

struct Placed {
    TimedMessage message;
    int rank; // at one frame: 0 note-off, 1 controller, 2 note-on
};

TimedMessage messageAt(std::int64_t frame, std::uint8_t status, int a, int b) {
    TimedMessage m;
    m.frame = frame;
    m.bytes[0] = status;
    m.bytes[1] = static_cast<std::uint8_t>(a);
    m.bytes[2] = static_cast<std::uint8_t>(b);
    m.size = (status & 0xF0) == 0xD0 ? 2 : 3;
    return m;
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

std::vector<TimedMessage> noteMessages(std::span<const NoteSpec> notes,
                                       std::span<const ControllerSpec> controllers, float rate) {
    std::vector<Placed> placed;
    for (const NoteSpec& note : notes) {
        const auto key = static_cast<std::uint8_t>(wholeIn(note.key, 0, 127, "note's key"));
        const auto velocity =
            static_cast<std::uint8_t>(wholeIn(note.velocity, 1, 127, "note's velocity"));
        const std::int64_t on = frameOf(note.start, rate, "note's start");
        if (!(note.length > 0))
            throw UsageError("a note's length takes seconds above 0, not " +
                             std::to_string(note.length));
        const std::int64_t off = frameOf(note.start + note.length, rate, "note's end");
        placed.push_back({messageAt(on, 0x90, key, velocity), 2});
        placed.push_back({messageAt(off, 0x80, key, 0), 0});
    }
    for (const ControllerSpec& c : controllers) {
        const std::int64_t frame = frameOf(c.time, rate, "controller's time");
        if (c.number == kBendController) {
            const std::uint16_t amount = wholeIn(c.value, 0, 16383, "bend");
            placed.push_back({messageAt(frame, 0xE0, amount & 0x7F, amount >> 7), 1});
        } else if (c.number == kPressureController) {
            placed.push_back(
                {messageAt(frame, 0xD0,
                           static_cast<std::uint8_t>(wholeIn(c.value, 0, 127, "channel pressure")),
                           0),
                 1});
        } else {
            const auto number =
                static_cast<std::uint8_t>(wholeIn(c.number, 0, 127, "controller's number"));
            placed.push_back({messageAt(frame, 0xB0, number,
                                        static_cast<std::uint8_t>(
                                            wholeIn(c.value, 0, 127, "controller's value"))),
                              1});
        }
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.message.frame != b.message.frame ? a.message.frame < b.message.frame
                                                  : a.rank < b.rank;
    });
    std::vector<TimedMessage> messages;
    messages.reserve(placed.size());
    for (Placed& p : placed)
        messages.push_back(std::move(p.message));
    return messages;
}
