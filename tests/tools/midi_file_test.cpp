// The Standard MIDI File reader: what it reads from well-formed files, and the one-line error it
// gives for each kind of broken file.
#include <gtest/gtest.h>

#include <vector>

#include "tests/tools/midi_bytes.h"
#include "tools/common/tool_error.h"
#include "tools/render/midi_file.h"

namespace {

MidiFile parse(const Bytes& bytes) {
    return parseMidiFile(bytes);
}

std::string errorOf(const Bytes& bytes) {
    try {
        parseMidiFile(bytes);
    } catch (const ToolError& e) {
        return e.what();
    }
    return "no error";
}

// A one-track file whose track body is given raw.
Bytes fileWithTrackBody(const Bytes& body, std::uint16_t division = 96) {
    Bytes out = midiFile(0, division, {});
    out[11] = 1; // one track
    const Bytes head{'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(body.size())};
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace

// Encodings from the file format's own table of variable-length quantities.
TEST(MidiFileReader, ReadsVariableLengthDeltasOfOneToFourBytes) {
    struct Row {
        Bytes encoded;
        std::uint32_t value;
    };
    const Row rows[] = {{{0x00}, 0x00},
                        {{0x40}, 0x40},
                        {{0x7F}, 0x7F},
                        {{0x81, 0x00}, 0x80},
                        {{0xC0, 0x00}, 0x2000},
                        {{0xFF, 0x7F}, 0x3FFF},
                        {{0x81, 0x80, 0x00}, 0x4000},
                        {{0xFF, 0xFF, 0x7F}, 0x1FFFFF},
                        {{0x81, 0x80, 0x80, 0x00}, 0x200000},
                        {{0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF}};
    for (const Row& row : rows) {
        EXPECT_EQ(varLength(row.value), row.encoded) << row.value;
        Bytes body = row.encoded;
        body.insert(body.end(), {0x90, 0x3C, 0x40});
        const MidiFile midi = parse(fileWithTrackBody(body));
        ASSERT_EQ(midi.tracks.at(0).size(), 1u);
        EXPECT_EQ(midi.tracks[0][0].tick, row.value);
    }
}

TEST(MidiFileReader, RunningStatusRepeatsTheLastChannelStatus) {
    TrackBytes t;
    t.add(0, {0x91, 60, 100}).add(10, {62, 90}).add(0, {0xC2, 5}).add(5, {7}).end();
    const MidiFile midi = parse(midiFile(0, 96, {t}));
    const auto& e = midi.tracks.at(0);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ((std::vector<int>{e[1].bytes[0], e[1].bytes[1], e[1].bytes[2]}),
              (std::vector<int>{0x91, 62, 90}));
    EXPECT_EQ(e[1].tick, 10u);
    // Program change has one data byte, under running status too.
    EXPECT_EQ(e[3].size, 2);
    EXPECT_EQ(e[3].bytes[0], 0xC2);
    EXPECT_EQ(e[3].bytes[1], 7);
    EXPECT_EQ(e[3].tick, 15u);
}

TEST(MidiFileReader, RunningStatusSurvivesMetaEventsBetweenNotes) {
    TrackBytes t;
    t.add(0, {0x90, 60, 100}).add(0, {0xFF, 0x01, 0x02, 'h', 'i'}).add(4, {64, 100}).end();
    const MidiFile midi = parse(midiFile(0, 96, {t}));
    const auto& e = midi.tracks.at(0);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[2].kind, MidiEventKind::Channel);
    EXPECT_EQ(e[2].bytes[0], 0x90);
    EXPECT_EQ(e[2].bytes[1], 64);
}

TEST(MidiFileReader, KeepsTempoAndOtherMetaEventsWithTheirTicks) {
    TrackBytes t;
    t.tempo(0, 400000).add(30, {0xF0, 0x03, 0x7E, 0x7F, 0xF7}).add(20, {0xFF, 0x03, 0x00}).end(50);
    const MidiFile midi = parse(midiFile(0, 96, {t}));
    const auto& e = midi.tracks.at(0);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].kind, MidiEventKind::Tempo);
    EXPECT_EQ(e[0].tempo, 400000u);
    EXPECT_EQ(e[1].kind, MidiEventKind::Other); // system exclusive
    EXPECT_EQ(e[1].tick, 30u);
    EXPECT_EQ(e[3].kind, MidiEventKind::Other); // end of track
    EXPECT_EQ(e[3].tick, 100u);
}

TEST(MidiFileReader, IgnoresBytesAfterEndOfTrackAndUnknownChunks) {
    TrackBytes t;
    t.add(0, {0x90, 60, 100}).end().add(0, {0x90, 61, 100});
    Bytes file = midiFile(1, 96, {t});
    file[11] = 2; // two tracks announced; an alien chunk comes between them
    const Bytes alien{'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 0xAA, 0xBB};
    file.insert(file.end(), alien.begin(), alien.end());
    TrackBytes second;
    second.add(7, {0x80, 60, 0}).end();
    const Bytes c = second.chunk();
    file.insert(file.end(), c.begin(), c.end());
    const MidiFile midi = parse(file);
    EXPECT_EQ(midi.format, 1);
    ASSERT_EQ(midi.tracks.size(), 2u);
    EXPECT_EQ(midi.tracks[0].size(), 2u);
    EXPECT_EQ(midi.tracks[1].at(0).tick, 7u);
}

TEST(MidiFileReader, RejectsBrokenFilesWithAMessageThatSaysWhy) {
    TrackBytes note;
    note.add(0, {0x90, 60, 100}).end();
    const Bytes good = midiFile(1, 96, {note});
    Bytes format2 = good;
    format2[9] = 2;
    Bytes division0 = good;
    division0[12] = division0[13] = 0;
    Bytes badSmpte = good;
    badSmpte[12] = 0xE5; // -27 frames per second
    Bytes truncated(good.begin(), good.end() - 3);
    Bytes missingTrack = good;
    missingTrack[11] = 2;
    Bytes cutHeader = missingTrack;
    cutHeader.insert(cutHeader.end(), {'M', 'T', 'r'});
    struct Row {
        const char* name;
        Bytes bytes;
        const char* message;
    };
    const Row rows[] = {
        {"empty", {}, "not a Standard MIDI File"},
        {"wave file", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0}, "MThd"},
        {"format 2", format2, "format 2"},
        {"no ticks", division0, "0 ticks per quarter"},
        {"bad SMPTE", badSmpte, "SMPTE"},
        {"truncated", truncated, "claims more bytes than the file holds"},
        {"missing track", missingTrack, "ends after 1 of its 2 tracks"},
        {"cut chunk header", cutHeader, "chunk header"},
        {"data without status", fileWithTrackBody({0x00, 0x3C, 0x40}), "no status"},
        {"five-byte delta", fileWithTrackBody({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 1, 1}),
         "over four bytes"},
        {"event cut short", fileWithTrackBody({0x00, 0x90, 0x3C}), "middle of an event"},
        {"status inside event", fileWithTrackBody({0x00, 0x90, 0x3C, 0x90}), "data byte belongs"},
        {"system real-time", fileWithTrackBody({0x00, 0xF8}), "no place in a MIDI file"},
        {"tempo 0", fileWithTrackBody({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}), "tempo of 0"},
        {"meta longer than track", fileWithTrackBody({0x00, 0xFF, 0x01, 0x20, 'a'}),
         "middle of an event"},
    };
    for (const Row& row : rows)
        EXPECT_NE(errorOf(row.bytes).find(row.message), std::string::npos)
            << row.name << ": " << errorOf(row.bytes);
    EXPECT_EQ(errorOf(good), "no error");
}

TEST(MidiFileReader, ErrorsNameTheTrackAndByte) {
    TrackBytes first;
    first.end();
    TrackBytes second;
    second.add(0, {0x90, 60, 100}).add(0, {0x3C}); // running status, missing its second byte
    // The byte of the file: a 14-byte header, the first track's 12 bytes, the second's chunk
    // header, then its sixth byte, where the note lacks its velocity.
    EXPECT_EQ(errorOf(midiFile(1, 96, {first, second})),
              "track 2, byte 40: ends in the middle of an event");
}

// A damaged track, read leniently, keeps what comes before the damage; the notes and the pedal it
// holds there are let go at that point, and the damage is told by track and byte of the file.
TEST(MidiFileReader, ALenientReadingKeepsADamagedTrackUpToTheDamage) {
    TrackBytes first;
    first.add(0, {0x91, 50, 90}).add(200, {0x81, 50, 0}).end();
    TrackBytes second;
    second.add(0, {0x90, 64, 100})
        .add(0, {0xB0, 64, 127})
        .add(96, {0x90, 67, 100})
        .add(10, {0x90, 60, 0x90}) // a status byte for a velocity
        .add(10, {0x80, 64, 0})
        .end();
    const Bytes file = midiFile(1, 96, {first, second});
    const std::size_t damageAt = 14 + first.chunk().size() + 8 + 15;
    EXPECT_EQ(errorOf(file), "track 2, byte " + std::to_string(damageAt) +
                                 ": a status byte where a data byte belongs");

    const MidiFile midi = parseMidiFile(file, MidiReading::Lenient);
    ASSERT_EQ(midi.damage.size(), 1u);
    EXPECT_EQ(midi.damage[0].track, 2);
    EXPECT_EQ(midi.damage[0].offset, damageAt);
    EXPECT_EQ(midi.damage[0].what, "a status byte where a data byte belongs");
    ASSERT_EQ(midi.tracks.size(), 2u);
    EXPECT_EQ(midi.tracks[0].size(), 3u); // the first track whole
    std::vector<std::vector<std::uint8_t>> kept;
    for (const MidiFileEvent& e : midi.tracks[1]) {
        kept.push_back({e.bytes[0], e.bytes[1], e.bytes[2]});
        EXPECT_EQ(e.tick, kept.size() <= 2 ? 0u : kept.size() == 3 ? 96u : 106u);
    }
    EXPECT_EQ(kept, (std::vector<std::vector<std::uint8_t>>{{0x90, 64, 100},
                                                            {0xB0, 64, 127},
                                                            {0x90, 67, 100},
                                                            {0x80, 64, 0},
                                                            {0x80, 67, 0},
                                                            {0xB0, 64, 0}}));
    // A file whose structure is broken has no track to keep: refused however it is read.
    Bytes truncated = file;
    truncated.resize(truncated.size() - 3);
    EXPECT_THROW(parseMidiFile(truncated, MidiReading::Lenient), ToolError);
}

TEST(MidiFileReader, LoadingAMissingFileSaysSo) {
    try {
        loadMidiFile("/nonexistent/piece.mid");
        FAIL();
    } catch (const ToolError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot open '/nonexistent/piece.mid'"),
                  std::string::npos);
    }
}
