// Voice-samples as --bench counts them from the MIDI alone.
#include <gtest/gtest.h>

#include "tools/render/voice_count.h"

namespace {

TimedMessage msg(std::int64_t frame, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    TimedMessage m;
    m.frame = frame;
    m.bytes[0] = status;
    m.bytes[1] = d1;
    m.bytes[2] = d2;
    return m;
}

} // namespace

TEST(VoiceCount, CountsEachNoteFromItsNoteOnToItsNoteOff) {
    struct Row {
        const char* name;
        std::vector<TimedMessage> messages;
        std::int64_t total;
        std::int64_t expected;
    };
    const Row rows[] = {
        {"no notes", {}, 1000, 0},
        {"one note", {msg(100, 0x90, 60, 100), msg(300, 0x80, 60, 0)}, 1000, 200},
        {"velocity 0 ends a note", {msg(100, 0x90, 60, 100), msg(150, 0x90, 60, 0)}, 1000, 50},
        {"held to the end", {msg(900, 0x90, 60, 100)}, 1000, 100},
        {"chord of three",
         {msg(0, 0x90, 60, 1), msg(0, 0x90, 64, 1), msg(0, 0x90, 67, 1), msg(10, 0x80, 60, 0),
          msg(10, 0x80, 64, 0), msg(10, 0x80, 67, 0)},
         100,
         30},
        {"same key twice: two notes",
         {msg(0, 0x90, 60, 1), msg(10, 0x90, 60, 1), msg(20, 0x80, 60, 0), msg(30, 0x80, 60, 0)},
         100,
         40},
        {"note-off of another channel ends nothing",
         {msg(0, 0x90, 60, 1), msg(10, 0x81, 60, 0)},
         100,
         100},
        {"stray note-off", {msg(0, 0x80, 60, 0), msg(10, 0x90, 61, 1)}, 100, 90},
        {"all notes off",
         {msg(0, 0x92, 60, 1), msg(0, 0x92, 62, 1), msg(25, 0xB2, 123, 0)},
         100,
         50},
        {"controller 126 ends notes too", {msg(0, 0x90, 60, 1), msg(5, 0xB0, 126, 0)}, 100, 5},
        {"other controllers end nothing", {msg(0, 0x90, 60, 1), msg(5, 0xB0, 7, 0)}, 100, 100},
        {"events after the end", {msg(0, 0x90, 60, 1), msg(500, 0x80, 60, 0)}, 100, 100},
    };
    for (const Row& row : rows)
        EXPECT_EQ(countVoiceFrames(row.messages, row.total), row.expected) << row.name;
}
