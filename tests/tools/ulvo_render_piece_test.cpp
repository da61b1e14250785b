// What of a MIDI file reaches the instrument: the channels --channel keeps (by default all but
// the drums), and a damaged track up to its damage unless --strict. The probe instrument marks
// each note-on's frame with note / 128 on its left channel, so the notes played can be read back.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

// At 120 beats per minute and 480 ticks a quarter, a tick is 1/960 s: 45.9375 frames.
constexpr std::int64_t framesOf(std::int64_t ticks) {
    return ticks * 44100 / 960;
}

// The frame and note of every note-on the probe heard.
std::vector<std::pair<std::int64_t, int>> notesHeard(const Audio& audio) {
    std::vector<std::pair<std::int64_t, int>> notes;
    const std::vector<float>& left = audio.channels.at(0);
    for (std::size_t i = 0; i < left.size(); ++i)
        if (left[i] != 0.0f)
            notes.emplace_back(static_cast<std::int64_t>(i), static_cast<int>(left[i] * 128.0f));
    return notes;
}

struct Heard {
    RunResult run;
    std::vector<std::pair<std::int64_t, int>> notes;
};

Heard renderThroughProbe(const TempFolder& folder, const std::string& midi,
                         std::vector<std::string> options = {}) {
    const std::string out = folder.path("out.wav");
    options.insert(options.begin(),
                   {"--plugin", PROBE_PLUGIN, "--bit-depth", "32f", "--tail", "0.1"});
    options.insert(options.end(), {folder.path(midi), out});
    Heard heard{runRender(options, folder), {}};
    if (heard.run.exitCode == 0) heard.notes = notesHeard(readAudio(out));
    return heard;
}

} // namespace

TEST(UlvoRenderPiece, TheDrumsOnChannel10AreLeftOutWhenOtherChannelsHaveNotes) {
    TempFolder folder;
    TrackBytes band;
    band.add(0, {0x90, 60, 100})
        .add(480, {0x99, 36, 100}) // channel 10: a bass drum
        .add(240, {0x92, 64, 100}) // channel 3
        .add(240, {0x80, 60, 0})
        .end();
    writeFile(folder.path("band.mid"), midiFile(0, 480, {band}));
    TrackBytes drums;
    drums.add(0, {0x99, 38, 100}).add(480, {0x89, 38, 0}).end();
    writeFile(folder.path("drums.mid"), midiFile(0, 480, {drums}));
    using Notes = std::vector<std::pair<std::int64_t, int>>;
    const Notes drum = {{framesOf(480), 36}};
    const Notes others = {{0, 60}, {framesOf(720), 64}};
    const Notes all = {{0, 60}, {framesOf(480), 36}, {framesOf(720), 64}};
    const struct {
        const char* midi;
        std::vector<std::string> options;
        Notes notes;
        std::string err;
    } rows[] = {
        {"band.mid",
         {},
         others,
         "ulvo-render: leaving out channel 10, the drums, as the piece has notes on other "
         "channels too; --channel all plays it\n"},
        {"band.mid", {"--channel", "all"}, all, ""},
        {"band.mid", {"--channel", "1-16"}, all, ""},
        {"band.mid", {"--channel", "10"}, drum, ""},
        {"band.mid", {"--channel", "3,1"}, others, ""},
        {"band.mid",
         {"--channel", "2,4-9"},
         {},
         "ulvo-render: warning: --channel 2, 4, 5, 6, 7, 8 and 9 leaves no notes to play: the "
         "piece has notes on channels 1, 3 and 10\n"},
        {"drums.mid", {}, {{0, 38}}, ""}, // drums alone are played
    };
    for (const auto& row : rows) {
        const Heard heard = renderThroughProbe(folder, row.midi, row.options);
        ASSERT_EQ(heard.run.exitCode, 0) << heard.run.err;
        EXPECT_EQ(heard.notes, row.notes)
            << row.midi << " " << ::testing::PrintToString(row.options);
        EXPECT_EQ(heard.run.err, row.err);
    }
}

TEST(UlvoRenderPiece, ADamagedTrackPlaysUpToTheDamageWithOneWarningAndStrictRefusesTheFile) {
    TempFolder folder;
    TrackBytes first;
    first.add(0, {0x90, 60, 100}).add(960, {0x90, 72, 100}).end(100);
    TrackBytes second;
    second.add(240, {0x91, 64, 100})
        .add(240, {0x91, 67, 100})
        .add(240, {0x91, 69, 0x91}) // a status byte for a velocity
        .add(100, {0x91, 71, 100})
        .end();
    writeFile(folder.path("damaged.mid"), midiFile(1, 480, {first, second}));
    // A 14-byte header, the first track, the second's chunk header, then two events of 5 bytes
    // and the two-byte delta, status and note of the broken one.
    const std::size_t damageAt = 14 + first.chunk().size() + 8 + 10 + 4;
    std::string where = "'";
    where += folder.path("damaged.mid") + "': track 2";

    const Heard lenient = renderThroughProbe(folder, "damaged.mid");
    ASSERT_EQ(lenient.run.exitCode, 0) << lenient.run.err;
    EXPECT_EQ(lenient.notes,
              (std::vector<std::pair<std::int64_t, int>>{
                  {0, 60}, {framesOf(240), 64}, {framesOf(480), 67}, {framesOf(960), 72}}));
    EXPECT_EQ(lenient.run.err, "ulvo-render: warning: " + where + " is damaged at byte " +
                                   std::to_string(damageAt) +
                                   " (a status byte where a data byte belongs); it plays up to "
                                   "there (--strict refuses such a file)\n");

    std::filesystem::remove(folder.path("out.wav"));
    const Heard strict = renderThroughProbe(folder, "damaged.mid", {"--strict"});
    EXPECT_EQ(strict.run.exitCode, 1);
    EXPECT_EQ(strict.run.err, "ulvo-render: " + where + ", byte " + std::to_string(damageAt) +
                                  ": a status byte where a data byte belongs\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path("out.wav")));
}
