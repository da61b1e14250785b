// ulvo-render --tuning and --keymap with the LV2 build: the pitches a Scala scale and mapping give,
// measured from the rendered sound; a tuning change in the MIDI file; keys a mapping leaves out;
// and a damaged file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/measured_pitch.h"
#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

constexpr int kRate = 44100;
constexpr int kTicksPerSecond = 960; // 480 a quarter at 120 beats a minute
constexpr double kNoteSeconds = 1.0;

// A plain sine at a steady level: no drawbar beyond the fundamental, the filter open, no
// envelope shape and no vibrato.
const std::vector<std::string> kSinePatch = {
    "attack=0",      "decay=0",     "sustain=1",   "release=0",   "cutoff=1",       "resonance=0",
    "filter_type=0", "env_depth=0", "drawbar_2=0", "drawbar_4=0", "drawbar_8=0",    "drawbar_16=0",
    "drawbar_6=0",   "drawbar_3=0", "wave=0",      "smooth=0",    "vibrato_depth=0"};

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Each note held for 0.9 s of its own second, one after the other; `between` goes after the
// first note of `notes` starts, half a second into it.
Bytes notesFile(const std::vector<std::uint8_t>& notes,
                std::initializer_list<std::uint8_t> between = {}) {
    TrackBytes track;
    std::uint32_t pending = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        track.add(pending, {0x90, notes[i], 100});
        std::uint32_t held = kTicksPerSecond * 9 / 10;
        if (i == 0 && between.size() > 0) {
            track.add(kTicksPerSecond / 2, between);
            held -= kTicksPerSecond / 2;
        }
        track.add(held, {0x80, notes[i], 0});
        pending = kTicksPerSecond / 10;
    }
    return midiFile(0, 480, {track.end(pending)});
}

// The frequency of the sound between `from` and `to` seconds.
double measuredHz(const std::vector<float>& sound, double from, double to) {
    return ::measuredHz(sound, kRate, static_cast<std::size_t>(from * kRate),
                        static_cast<std::size_t>(to * kRate) + 1);
}

double peakOf(const std::vector<float>& sound, double from, double to) {
    float peak = 0.0f;
    for (auto i = static_cast<std::size_t>(from * kRate); i < static_cast<std::size_t>(to * kRate);
         ++i)
        peak = std::max(peak, std::fabs(sound[i]));
    return peak;
}

RunResult renderWith(const TempFolder& folder, const std::vector<std::string>& tuning,
                     const std::string& midi, const std::string& plugin = ULVODRAW_LV2_URI) {
    std::vector<std::string> args = {"--plugin", plugin, "--bit-depth", "32f", "--tail", "0.1"};
    for (const std::string& setting : kSinePatch)
        args.insert(args.end(), {"--param", setting});
    args.insert(args.end(), tuning.begin(), tuning.end());
    args.insert(args.end(), {folder.path(midi), folder.path("out.wav")});
    return runRender(args, folder);
}

std::string e19Scale() {
    std::string text = "! e19.scl\n19 equal steps to the octave\n 19\n!\n";
    for (int step = 1; step <= 19; ++step)
        text.append(" ").append(std::to_string(1200.0 * step / 19.0)).append("\n");
    return text;
}

} // namespace

// The 19-step scale with note 60 at 261.625565 Hz, and then a single-note tuning change in the
// file that takes the sounding note 60 to 440 Hz.
TEST(UlvoRenderTuning, TheScalesPitchesSoundAndATuningChangeInTheFileRetunesItsNote) {
    TempFolder folder;
    writeText(folder.path("e19.scl"), e19Scale());
    writeText(folder.path("e19.kbm"),
              "! e19.kbm\n0\n0\n127\n60\n60\n261.625565\n19\n! linear: no entries\n");
    const std::vector<std::uint8_t> notes = {60, 61, 62, 69, 79};
    writeFile(folder.path("notes.mid"), notesFile(notes));
    writeFile(folder.path("change.mid"), notesFile({60}, {0xF0, 0x0B, 0x7F, 0x7F, 0x08, 0x02, 0x00,
                                                          0x01, 60, 69, 0, 0, 0xF7}));

    const std::vector<std::string> e19 = {"--tuning", folder.path("e19.scl"), "--keymap",
                                          folder.path("e19.kbm")};
    // The LV2 build takes the files as properties, the CLAP build in its state.
    RunResult run;
    Audio audio;
    for (const std::string plugin : {ULVODRAW_LV2_URI, ULVODRAW_CLAP}) {
        run = renderWith(folder, e19, "notes.mid", plugin);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        audio = readAudio(folder.path("out.wav"));
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const double target = 261.625565 * std::exp2((notes[i] - 60) / 19.0);
            const double start = static_cast<double>(i) * kNoteSeconds;
            EXPECT_NEAR(
                centsBetween(measuredHz(audio.channels[0], start + 0.1, start + 0.85), target), 0.0,
                0.1)
                << plugin << ", note " << int(notes[i]);
        }
    }

    run = renderWith(folder, e19, "change.mid");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    audio = readAudio(folder.path("out.wav"));
    EXPECT_NEAR(centsBetween(measuredHz(audio.channels[0], 0.1, 0.45), 261.625565), 0.0, 0.1);
    EXPECT_NEAR(centsBetween(measuredHz(audio.channels[0], 0.55, 0.85), 440.0), 0.0, 0.1);

    // Without a tuning the same change retunes the note from equal temperament.
    run = renderWith(folder, {}, "change.mid");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    audio = readAudio(folder.path("out.wav"));
    EXPECT_NEAR(centsBetween(measuredHz(audio.channels[0], 0.1, 0.45), 261.625565), 0.0, 0.1);
    EXPECT_NEAR(centsBetween(measuredHz(audio.channels[0], 0.55, 0.85), 440.0), 0.0, 0.1);
}

// A mapping of the white keys alone, without a scale: the black keys are silent and the white
// ones keep twelve equal steps.
TEST(UlvoRenderTuning, KeysTheMappingLeavesOutAreSilent) {
    TempFolder folder;
    writeText(folder.path("white.kbm"),
              "! white.kbm\n12\n0\n127\n60\n69\n440\n12\n0\nx\n2\nx\n4\n5\nx\n7\nx\n9\nx\n11\n");
    writeFile(folder.path("notes.mid"), notesFile({61, 62}));
    const RunResult run = renderWith(folder, {"--keymap", folder.path("white.kbm")}, "notes.mid");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio audio = readAudio(folder.path("out.wav"));
    EXPECT_EQ(peakOf(audio.channels[0], 0.0, 1.0), 0.0);
    EXPECT_GT(peakOf(audio.channels[0], 1.1, 1.8), 0.01);
    EXPECT_NEAR(centsBetween(measuredHz(audio.channels[0], 1.1, 1.85), 293.6647679), 0.0, 0.1);
}

// A damaged file: one line naming the file, the line and the fault; a usage exit; no output.
TEST(UlvoRenderTuning, ADamagedScaleIsOneErrorLineAndNoFile) {
    TempFolder folder;
    writeText(folder.path("bad.scl"), "bad\n 2\n 3/0\n 2/1\n");
    writeFile(folder.path("notes.mid"), notesFile({60}));
    const RunResult run = renderWith(folder, {"--tuning", folder.path("bad.scl")}, "notes.mid");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(countLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("bad.scl: line 3"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path("out.wav")));

    // The VST 2 build has no tuning to set.
    const RunResult vst2 =
        runRender({"--plugin", ULVODRAW_PLUGIN, "--keymap", folder.path("bad.scl"),
                   folder.path("notes.mid"), folder.path("out.wav")},
                  folder);
    EXPECT_EQ(vst2.exitCode, 2);
    EXPECT_EQ(countLines(vst2.err), 1) << vst2.err;
}
