// Ticks to sample frames: tempo maps, SMPTE timing, rounding, and the merge of tracks.
#include <gtest/gtest.h>

#include "tests/tools/midi_bytes.h"
#include "tools/common/tool_error.h"
#include "tools/render/midi_timeline.h"

namespace {

MidiTimeline timelineOf(const std::vector<TrackBytes>& tracks, std::int32_t rate = 44100,
                        std::uint16_t division = 480) {
    return buildTimeline(parseMidiFile(midiFile(1, division, tracks)), rate);
}

} // namespace

TEST(FrameClock, PlaysAt120BeatsPerMinuteUntilTheFirstTempo) {
    FrameClock clock(480, 44100);
    EXPECT_EQ(clock.frameAt(0), 0);
    EXPECT_EQ(clock.frameAt(480), 22050); // one quarter note = 0.5 s
    EXPECT_EQ(clock.frameAt(4800), 220500);
}

TEST(FrameClock, SumsTheTimeOfEveryTempoSegment) {
    // 960 ticks at 0.5 s per quarter (1 s), 480 at 0.4 s (0.4 s), then 0.75 s per quarter.
    FrameClock clock(480, 44100);
    clock.setTempo(960, 400000);
    clock.setTempo(1440, 750000);
    // 1.4 s + 260 / 480 * 0.75 s = 1.80625 s = 79655.625 frames
    EXPECT_EQ(clock.frameAt(1700), 79656);
    // 1.4 s + 560 / 480 * 0.75 s = 2.275 s = 109200 frames at 48 kHz
    FrameClock at48k(480, 48000);
    at48k.setTempo(960, 400000);
    at48k.setTempo(1440, 750000);
    EXPECT_EQ(at48k.frameAt(2000), 109200);
}

TEST(FrameClock, RoundsHalfFramesToEven) {
    // At 120 bpm, 480 ticks per quarter and 44100 Hz a tick lasts 45.9375 frames.
    FrameClock clock(480, 44100);
    EXPECT_EQ(clock.frameAt(8), 368);   // 367.5
    EXPECT_EQ(clock.frameAt(24), 1102); // 1102.5
    EXPECT_EQ(clock.frameAt(1), 46);    // 45.9375
    EXPECT_EQ(clock.frameAt(3), 138);   // 137.8125
}

TEST(FrameClock, SmpteTimingIgnoresTempo) {
    const auto division = [](int fps, int ticksPerFrame) {
        return static_cast<std::uint16_t>(((256 - fps) << 8) | ticksPerFrame);
    };
    FrameClock clock(division(25, 40), 44100); // 1000 ticks per second
    clock.setTempo(0, 250000);
    EXPECT_EQ(clock.frameAt(1000), 44100);
    EXPECT_EQ(clock.frameAt(1), 44); // 44.1
    // "29" is 29.97 frames per second: 30 ticks last 1.001 s.
    FrameClock drop(division(29, 1), 44100);
    EXPECT_EQ(drop.frameAt(30), 44144); // 44144.1
}

TEST(MidiTimeline, TempoFromTheFirstTrackTimesNotesOfTheOthers) {
    TrackBytes tempoTrack;
    tempoTrack.tempo(0, 1000000).tempo(480, 250000).end();
    TrackBytes notes;
    notes.add(480, {0x90, 60, 100}).add(480, {0x80, 60, 0}).end();
    const MidiTimeline t = timelineOf({tempoTrack, notes});
    ASSERT_EQ(t.messages.size(), 2u);
    EXPECT_EQ(t.messages[0].frame, 44100);         // 1 s
    EXPECT_EQ(t.messages[1].frame, 44100 + 11025); // + 0.25 s
}

TEST(MidiTimeline, EqualTicksKeepTrackOrderThenFileOrder) {
    TrackBytes a;
    a.add(10, {0x90, 1, 1}).add(0, {0x90, 2, 1}).end();
    TrackBytes b;
    b.add(5, {0x90, 3, 1}).add(5, {0x90, 4, 1}).end();
    TrackBytes c;
    c.add(10, {0x90, 5, 1}).end();
    const MidiTimeline t = timelineOf({a, b, c});
    std::vector<int> keys;
    for (const TimedMessage& m : t.messages)
        keys.push_back(m.bytes[1]);
    EXPECT_EQ(keys, (std::vector<int>{3, 1, 2, 4, 5}));
}

TEST(MidiTimeline, OnlyChannelMessagesArePlayedButEveryEventCountsForTheLength) {
    TrackBytes t;
    t.add(0, {0x90, 60, 100}).add(0, {0xC0, 3}).add(480, {0x80, 60, 0}).end(480);
    const MidiTimeline timeline = timelineOf({t});
    ASSERT_EQ(timeline.messages.size(), 3u);
    EXPECT_EQ(timeline.messages[1].bytes[0], 0xC0);
    EXPECT_EQ(timeline.messages[1].bytes[2], 0); // unused byte stays 0
    EXPECT_EQ(timeline.messages[1].size, 2);
    EXPECT_EQ(timeline.messages[2].size, 3);
    EXPECT_EQ(timeline.lastEventFrame, 44100); // the end of track, two quarters in
}

TEST(MidiTimeline, RefusesPiecesTooLongToRender) {
    TrackBytes t;
    t.tempo(0, 0xFFFFFF); // about 16.8 s per quarter
    for (int i = 0; i < 64; ++i)
        t.add(0x0FFFFFFF, {0x90, 60, 100});
    EXPECT_THROW(timelineOf({t}, 44100, 1), ToolError);
}
