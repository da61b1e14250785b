// ulvo-render run as a user runs it: timing to the frame through tempo changes and any block
// size, our instrument, amsynth and setBfree rendered to files, and one clear line for every bad
// input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sndfile.h>

#include "synth/preset_text.h"
#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

constexpr const char* kAmsynth = "/usr/lib/vst/amsynth_vst.so";
constexpr const char* kSetBfree = "http://gareus.org/oss/lv2/b_synth";
constexpr const char* kSetBfreeBundle = "/usr/lib/lv2/b_synth";

// 120 bpm for two quarters (1 s), 150 bpm for one (0.4 s), then 80 bpm, at 480 ticks a quarter.
TrackBytes tempoChanges() {
    TrackBytes t;
    t.tempo(0, 500000).tempo(960, 400000).tempo(480, 750000).end(1520);
    return t;
}

// Tick 1700 is 1.80625 s (79655.625 frames at 44100 Hz); tick 2032 is 2.325 s, exactly
// 102532.5 frames, which rounds to the even 102532 (not up).
constexpr std::int64_t kFirstNoteFrame = 79656;
constexpr std::int64_t kSecondNoteFrame = 102532;

Bytes twoNotesAfterTempoChanges() {
    TrackBytes notes;
    notes.add(1700, {0x90, 60, 100})
        .add(100, {0x80, 60, 0})
        .add(232, {0x90, 62, 100})
        .add(100, {62, 0}) // running status: note-on with velocity 0
        .end();
    return midiFile(1, 480, {tempoChanges(), notes});
}

// Frames of every nonzero sample of `samples`.
std::vector<std::int64_t> nonzeroFrames(const std::vector<float>& samples) {
    std::vector<std::int64_t> frames;
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != 0.0f) frames.push_back(static_cast<std::int64_t>(i));
    return frames;
}

double peakOf(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    double peak = 0.0;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(double(samples[i])));
    return peak;
}

// A folder of LV2 bundles of the test's own, holding a link to each of `bundles`.
std::string lv2FolderOf(const TempFolder& folder, const std::string& name,
                        const std::vector<std::string>& bundles) {
    const std::filesystem::path lv2 = folder.path(name);
    std::filesystem::create_directories(lv2);
    for (const std::string& bundle : bundles)
        std::filesystem::create_directory_symlink(bundle,
                                                  lv2 / std::filesystem::path(bundle).filename());
    return lv2.string();
}

// A copy of the build's bundle, binary and all, in which the preset "Full Organ" is labelled
// "Copy Organ": the label that --preset finds tells which of the two bundles loaded.
void copyBundleWithPresetRelabelled(const std::string& to) {
    std::filesystem::create_directories(std::filesystem::path(to).parent_path());
    std::filesystem::copy(ULVODRAW_LV2_BUNDLE, to, std::filesystem::copy_options::recursive);
    for (const char* file : {"manifest.ttl", "presets.ttl"}) {
        std::string text = slurp(to + "/" + file);
        const std::string from = "\"Full Organ\"", label = "\"Copy Organ\"";
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << file;
        text.replace(at, from.size(), label);
        ASSERT_EQ(text.find(from), std::string::npos) << file;
        std::ofstream(to + "/" + file, std::ios::binary) << text;
    }
}

} // namespace

TEST(UlvoRender, EventsLandOnTheirFrameThroughTempoChangesWhateverTheBlockSize) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    // The last event, the end of the tempo track at tick 2960, is at 1.4 s + 1520 / 480 * 0.75 s
    // = 3.775 s = 166477.5 frames, rounded to the even 166478.
    const std::int64_t expectedLength = 166478 + 4410;
    for (int block : {1, 64, 511, 4096}) {
        const RunResult run =
            runRender({"--plugin", PROBE_PLUGIN, "--block", std::to_string(block), "--tail", "0.1",
                       "--bit-depth", "32f", folder.path("piece.mid"), folder.path("out.wav")},
                      folder);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Audio audio = readAudio(folder.path("out.wav"));
        ASSERT_EQ(audio.channels.size(), 2u);
        EXPECT_EQ(static_cast<std::int64_t>(audio.frames()), expectedLength) << block;
        // The probe marks each note-on's frame with note / 128, and a broken protocol with -1.
        EXPECT_EQ(nonzeroFrames(audio.channels[0]),
                  (std::vector<std::int64_t>{kFirstNoteFrame, kSecondNoteFrame}))
            << "block " << block;
        EXPECT_EQ(audio.channels[0][kFirstNoteFrame], 60.0f / 128.0f);
        EXPECT_EQ(audio.channels[0][kSecondNoteFrame], 62.0f / 128.0f);
    }
}

TEST(UlvoRender, ProgramThenParametersReachTheInstrumentAndTheSummaryMeasuresThem) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const auto right = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {"--plugin", PROBE_PLUGIN, "--bit-depth", "32f"});
        options.push_back(folder.path("piece.mid"));
        options.push_back(folder.path("out.wav"));
        const RunResult run = runRender(options, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const Audio audio = readAudio(folder.path("out.wav"));
        const auto& r = audio.channels.at(1);
        EXPECT_TRUE(std::all_of(r.begin(), r.end(), [&](float x) { return x == r[0]; }));
        return std::make_pair(r[0], run.out);
    };
    EXPECT_EQ(right({"--program", "2"}).first, 0.2f);
    const auto [value, summary] = right({"--program", "2", "--param", "Offset=0.5"});
    EXPECT_EQ(value, 0.5f);
    // The right channel holds 0.5 throughout: peak and RMS both 20 log10(0.5) = -6.0 dBFS.
    EXPECT_EQ(countLines(summary), 1);
    EXPECT_NE(summary.find("2 ch, 44100 Hz, 32-bit float"), std::string::npos) << summary;
    EXPECT_NE(summary.find(" -6.0 dBFS | RMS "), std::string::npos) << summary;
    EXPECT_NE(summary.find(" -6.0 dBFS | "), summary.rfind(" -6.0 dBFS | ")) << summary;
    EXPECT_NE(summary.find("x real time"), std::string::npos) << summary;
}

TEST(UlvoRender, OurInstrumentStartsEachNoteOnItsFrameAndFallsSilentInTheTail) {
    TempFolder folder;
    // The same note twice: at tick 0 at 80 bpm, and at tick 1700 after the tempo changes, both
    // held for one quarter at 80 bpm (33075 frames).
    TrackBytes early;
    early.tempo(0, 750000).add(0, {0x90, 69, 100}).add(480, {0x80, 69, 0}).end();
    writeFile(folder.path("early.mid"), midiFile(0, 480, {early}));
    TrackBytes tempos; // the changes of tempoChanges(), ending before the note does
    tempos.tempo(0, 500000).tempo(960, 400000).tempo(480, 750000).end();
    TrackBytes late;
    late.add(1700, {0x90, 69, 100}).add(480, {0x80, 69, 0}).end();
    writeFile(folder.path("late.mid"), midiFile(1, 480, {tempos, late}));

    const auto render = [&](const std::string& midi, int block) {
        const std::string out = folder.path(midi + std::to_string(block) + ".wav");
        const RunResult run = runRender({"--plugin", ULVODRAW_PLUGIN, "--bit-depth", "32f",
                                         "--block", std::to_string(block), folder.path(midi), out},
                                        folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return readAudio(out);
    };
    const Audio reference = render("early.mid", 512);
    ASSERT_EQ(reference.channels.size(), 2u);
    ASSERT_EQ(reference.frames(), 33075u + 88200u); // note plus the default tail of 2 s
    for (int block : {1, 64, 511, 4096}) {
        const Audio audio = render("late.mid", block);
        ASSERT_EQ(audio.channels.size(), 2u);
        ASSERT_EQ(audio.frames(), kFirstNoteFrame + reference.frames()) << block;
        for (int c = 0; c < 2; ++c) {
            const auto& samples = audio.channels[c];
            // Silent up to the note; from then on exactly the early render, sample for sample.
            EXPECT_EQ(peakOf(samples, 0, kFirstNoteFrame), 0.0) << block;
            EXPECT_TRUE(std::equal(reference.channels[c].begin(), reference.channels[c].end(),
                                   samples.begin() + kFirstNoteFrame))
                << "block " << block << " channel " << c;
            // The attack starts from level 0, so the first sound is one frame after the note.
            ASSERT_FALSE(nonzeroFrames(samples).empty());
            EXPECT_EQ(nonzeroFrames(samples).front(), kFirstNoteFrame + 1) << block;
            // The release is over long before the tail ends: its last second is exact silence.
            EXPECT_EQ(peakOf(samples, samples.size() - 44100, samples.size()), 0.0) << block;
        }
    }
}

TEST(UlvoRender, AmsynthRendersThroughTheSameHost) {
    if (!std::filesystem::exists(kAmsynth)) GTEST_SKIP() << kAmsynth << " is not installed";
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const RunResult run = runRender({"--plugin", kAmsynth, "--bit-depth", "32f", "--tail", "3",
                                     folder.path("piece.mid"), folder.path("out.flac")},
                                    folder);
    // FLAC cannot hold floats; the same render as 24-bit FLAC then.
    EXPECT_NE(run.exitCode, 0);
    const RunResult flac = runRender(
        {"--plugin", kAmsynth, "--tail", "3", folder.path("piece.mid"), folder.path("out.flac")},
        folder);
    ASSERT_EQ(flac.exitCode, 0) << flac.err;
    const Audio audio = readAudio(folder.path("out.flac"));
    EXPECT_EQ(audio.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(audio.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    ASSERT_EQ(audio.channels.size(), 2u);
    EXPECT_EQ(audio.frames(), 166478u + 3u * 44100u);
    for (const auto& samples : audio.channels) {
        // Nothing before the first note; sound within the block that holds it.
        EXPECT_EQ(peakOf(samples, 0, kFirstNoteFrame), 0.0);
        EXPECT_GT(peakOf(samples, kFirstNoteFrame, kFirstNoteFrame + 512), 0.0);
        // The last notes ended 2.5 s before the end: the final half second is below -80 dBFS.
        EXPECT_LT(peakOf(samples, samples.size() - 22050, samples.size()), 1e-4);
    }
}

// setBfree's organ, the LV2 peer the benchmarks compare with, needs the host's worker.
TEST(UlvoRender, AnLv2OrganThatNeedsTheWorkerRendersThroughTheSameHost) {
    if (!std::filesystem::exists(kSetBfreeBundle))
        GTEST_SKIP() << kSetBfreeBundle << " is not installed";
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const RunResult run = runRender({"--plugin", kSetBfree, "--bit-depth", "32f", "--tail", "1",
                                     folder.path("piece.mid"), folder.path("out.wav")},
                                    folder, "", lv2FolderOf(folder, "lv2", {kSetBfreeBundle}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Audio audio = readAudio(folder.path("out.wav"));
    ASSERT_EQ(audio.channels.size(), 2u);
    for (const auto& samples : audio.channels) {
        const double before = peakOf(samples, 0, kFirstNoteFrame);
        const double during = peakOf(samples, kFirstNoteFrame, kFirstNoteFrame + 4410);
        EXPECT_GT(during, 1e-3);
        EXPECT_GT(during, 100.0 * before);
    }
}

// The demo through the LV2 bundle, found by its URI, gives the VST 2 build's samples at every
// block size; a preset gives what its values give as parameters.
TEST(UlvoRender, TheLv2BuildRendersTheDemoToTheVst2BuildsSamples) {
    TempFolder folder;
    const std::vector<std::string> names = {"A", "D", "S", "R",  "CutOff", "Q", "Type", "Env",
                                            "2", "4", "8", "16", "6",      "3", "Wave", "Smooth"};
    const std::vector<std::string> symbols = {"attack",    "decay",     "sustain",     "release",
                                              "cutoff",    "resonance", "filter_type", "env_depth",
                                              "drawbar_2", "drawbar_4", "drawbar_8",   "drawbar_16",
                                              "drawbar_6", "drawbar_3", "wave",        "smooth"};
    const std::vector<std::string> values = {"0.12", "0.45", "0.6", "0.4", "0.5",  "0.4",
                                             "0",    "0.6",  "0.8", "0.5", "0.25", "0",
                                             "0.3",  "0.6",  "0",   "0.1"};
    // The LV2 build's playing controls at the values that give the classic sound.
    const std::vector<std::string> classic = {
        "volume=0",        "velocity_sense=1", "bend_range=1", "vibrato_rate=5.5",
        "vibrato_depth=0", "env_curve=0",      "env_scale=1",  "oscillators=0"};
    auto render = [&](const std::string& plugin, const std::vector<std::string>& params,
                      const std::string& block, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--plugin", plugin,        "--block",
                                         block,      "--bit-depth", "32f"};
        for (std::size_t i = 0; i < params.size(); ++i)
            args.insert(args.end(), {"--param", params[i] + "=" + values[i]});
        if (params == symbols)
            for (const std::string& setting : classic)
                args.insert(args.end(), {"--param", setting});
        // The VST 2 build's drawbars set once more after the others, so that its classic weights
        // are the ones the positions give, as the LV2 build's always are.
        if (params == names)
            for (std::size_t i = Drawbar2; i <= Drawbar3; ++i)
                args.insert(args.end(), {"--param", params[i] + "=" + values[i]});
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {ULVO_DEMO_MIDI, folder.path("out.wav")});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return readAudio(folder.path("out.wav"));
    };
    for (const char* block : {"1", "64", "4096"}) {
        const Audio vst2 = render(ULVODRAW_PLUGIN, names, block);
        const Audio lv2 = render(ULVODRAW_LV2_URI, symbols, block);
        ASSERT_GT(vst2.frames(), 44100u * 20);
        EXPECT_EQ(lv2.channels, vst2.channels) << "block " << block;
    }
    const Audio preset = render(ULVODRAW_LV2_BUNDLE, {}, "512", {"--preset", "full organ"});
    // The same values from the presets file, as parameters.
    std::ifstream file(ULVO_FACTORY_PRESETS);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const PresetParse parsed = parsePresets(text);
    const Preset* fullOrgan = findPreset(parsed.presets, "Full Organ");
    ASSERT_NE(fullOrgan, nullptr) << parsed.error;
    std::vector<std::string> byValue;
    for (std::int32_t i = 0; i < kControlCount; ++i) {
        char value[32];
        std::snprintf(value, sizeof value, "%.9g", fullOrgan->values[i]);
        byValue.insert(byValue.end(), {"--param", kParameterSymbols[i] + std::string("=") + value});
    }
    const Audio byHand = render(ULVODRAW_LV2_BUNDLE, {}, "512", byValue);
    EXPECT_EQ(preset.channels, byHand.channels);
    EXPECT_NE(preset.channels, render(ULVODRAW_LV2_BUNDLE, {}, "512").channels);
}

// Another bundle with UlvoDraw's URI, as an installed package puts beside a build: a bundle named
// by its folder is the one that loads, wherever the other lies in LV2_PATH; a URI takes the
// first bundle in LV2_PATH order, and one line says which.
TEST(UlvoRender, TheBundleNamedLoadsBesideAnotherWithTheSameUri) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const std::string copy = folder.path("copy/ulvodraw.lv2");
    ASSERT_NO_FATAL_FAILURE(copyBundleWithPresetRelabelled(copy));
    const std::string copyFirst =
        folder.path("copy") + ":" + lv2FolderOf(folder, "build", {ULVODRAW_LV2_BUNDLE});
    const std::string buildFirst = folder.path("build") + ":" + folder.path("copy");
    const std::string build = folder.path("build/ulvodraw.lv2");
    struct Row {
        std::string plugin, lv2Path;
        const char* loads;  // the preset label of the bundle that must load
        const char* absent; // and of the other
        std::string taken;  // the bundle the one line names; none when the folder is given
    };
    const Row rows[] = {
        {ULVODRAW_LV2_BUNDLE, copyFirst, "Full Organ", "Copy Organ", ""},
        {copy, buildFirst, "Copy Organ", "Full Organ", ""},
        {ULVODRAW_LV2_URI, copyFirst, "Copy Organ", "Full Organ", copy},
        {ULVODRAW_LV2_URI, buildFirst, "Full Organ", "Copy Organ", build},
    };
    for (const Row& row : rows) {
        const std::string where = row.plugin + " with LV2_PATH " + row.lv2Path;
        const auto run = [&](const char* preset) {
            return runRender({"--plugin", row.plugin, "--preset", preset, "--tail", "0.1",
                              folder.path("piece.mid"), folder.path("out.wav")},
                             folder, "", row.lv2Path);
        };
        const RunResult loaded = run(row.loads);
        EXPECT_EQ(loaded.exitCode, 0) << where << ": " << loaded.err;
        if (row.taken.empty()) {
            EXPECT_EQ(loaded.err, "") << where;
        } else {
            EXPECT_EQ(countLines(loaded.err), 1) << where << ": " << loaded.err;
            EXPECT_EQ(loaded.err.rfind("ulvo-render: " + std::string(ULVODRAW_LV2_URI) +
                                           " is in 2 bundles; loading '" + row.taken + "'",
                                       0),
                      0u)
                << where << ": " << loaded.err;
        }
        const RunResult other = run(row.absent);
        EXPECT_NE(other.exitCode, 0) << where;
        EXPECT_NE(other.err.find("no preset '" + std::string(row.absent) + "'"), std::string::npos)
            << where << ": " << other.err;
    }
}

TEST(UlvoRender, BadInputGetsOneLineAndLeavesNoFileBehind) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    Bytes cut = twoNotesAfterTempoChanges();
    cut.resize(cut.size() - 5);
    writeFile(folder.path("cut.mid"), cut);
    std::ofstream(folder.path("notes.txt")) << "not a MIDI file and not a plug-in\n";
    const bool haveSetBfree = std::filesystem::exists(kSetBfreeBundle);
    const std::string organOnly =
        haveSetBfree ? lv2FolderOf(folder, "lv2", {kSetBfreeBundle}) : std::string();
    const std::set<std::string> before = [&] {
        const auto names = folder.files();
        return std::set<std::string>(names.begin(), names.end());
    }();
    const std::string piece = folder.path("piece.mid");
    const std::string out = folder.path("out.wav");
    // A render that fails exits with 1; a mistake on the command line, the instrument's names
    // included, with 2.
    struct Row {
        std::vector<std::string> args;
        const char* message;
        int status = 1;
        std::string lv2Path = "";
    };
    std::vector<Row> rows = {
        {{"--plugin", PROBE_PLUGIN, folder.path("missing.mid"), out}, "cannot open"},
        {{"--plugin", PROBE_PLUGIN, folder.path("notes.txt"), out}, "not a Standard MIDI File"},
        {{"--plugin", PROBE_PLUGIN, folder.path("cut.mid"), out}, "truncated"},
        {{"--plugin", folder.path("notes.txt"), piece, out}, "not a plug-in"},
        {{"--plugin", PROBE_NO_ENTRY, piece, out}, "exports neither"},
        {{"--plugin", PROBE_NULL_ENTRY, piece, out}, "returned no instrument"},
        {{"--plugin", PROBE_NO_OUTPUTS, piece, out}, "no audio outputs"},
        {{"--plugin", PROBE_PLUGIN, piece, folder.path("no/such/folder/out.wav")}, "cannot write"},
        {{"--plugin", PROBE_PLUGIN, piece, folder.path("notes.txt/out.wav")}, "cannot write"},
        {{"--plugin", PROBE_PLUGIN, piece, folder.path("out.mp3")}, "must end in .wav or .flac", 2},
        {{"--plugin", PROBE_PLUGIN, "--bit-depth", "32f", piece, folder.path("out.flac")},
         "cannot hold 32-bit float",
         2},
        {{"--plugin", PROBE_PLUGIN, "--param", "Cutoff=0.5", piece, out},
         "--param Cutoff=0.5: no parameter 'Cutoff' (it has 3: Offset, 2 and Level)",
         2},
        {{"--plugin", PROBE_PLUGIN, "--program", "7", piece, out}, "no program 7", 2},
        {{"--plugin", PROBE_PLUGIN, "--block", "0", piece, out}, "--block takes", 2},
        {{"--plugin", PROBE_PLUGIN, "--tail", "3600", "--rate", "768000", piece, out},
         "would last longer than"},
        {{"--plugin", PROBE_PLUGIN, piece}, "give one MIDI file and one output file", 2},
        {{"--plugin", "https://korvane.example/none", piece, out}, "no LV2 plug-in"},
        {{"--plugin", folder.path(""), piece, out}, "holds no LV2 plug-in"},
        {{"--plugin", ULVODRAW_LV2_URI, "--program", "3", piece, out}, "use --preset", 2},
        {{"--plugin", ULVODRAW_LV2_URI, "--preset", "No Such Sound", piece, out},
         "no preset 'No Such Sound' (32 presets; --list-presets lists them)",
         2},
        {{"--plugin", ULVODRAW_LV2_URI, "--param", "loudness=1", piece, out},
         "no parameter 'loudness' (it has 24: attack, decay,",
         2},
        {{"--plugin", PROBE_PLUGIN, "--preset", "Full Organ", piece, out}, "use --program", 2},
        // One past the last of the 24 controls.
        {{"--plugin", ULVODRAW_LV2_URI, "--param", "024=1", piece, out},
         "--param 024=1: no parameter with index 024 (0 to 23)",
         2},
        // The VST 2 build has the classic parameters alone, and says which.
        {{"--plugin", ULVODRAW_PLUGIN, "--param", "volume=0", piece, out},
         "no parameter 'volume' (it has 16: A, D, S, R, CutOff, Q, Type, Env, 2, 4, 8, 16, 6, 3, "
         "Wave and Smooth)",
         2},
    };
    // setBfree's organ has no control inputs at all: index 0 is already past the last.
    if (haveSetBfree)
        rows.push_back({{"--plugin", kSetBfree, "--param", "0=1", piece, out},
                        "no parameter with index 0 (the instrument has none)",
                        2,
                        organOnly});
    for (const Row& row : rows) {
        const RunResult run = runRender(row.args, folder, "", row.lv2Path);
        EXPECT_EQ(run.exitCode, row.status) << row.message;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("ulvo-render: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        const auto names = folder.files();
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), before) << row.message;
    }
}

// A value outside the parameter's range, known once the instrument is: one line that says the
// range, and the exit status of any other bad option.
TEST(UlvoRender, AParamValueOutsideItsRangeIsAUsageErrorThatSaysTheRange) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const std::string piece = folder.path("piece.mid"), out = folder.path("out.wav");
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--plugin", ULVODRAW_LV2_URI, "--param", "volume=40"},
         "--param volume=40: volume takes -60 to 12"},
        {{"--plugin", ULVODRAW_LV2_BUNDLE, "--param", "Bend Range=0.5"},
         "--param Bend Range=0.5: bend_range takes 1 to 24"},
        {{"--plugin", ULVODRAW_LV2_URI, "--param", "cutoff=1.5"},
         "--param cutoff=1.5: cutoff takes 0 to 1"},
        {{"--plugin", ULVODRAW_PLUGIN, "--param", "Q=-0.25"}, "--param Q=-0.25: Q takes 0 to 1"},
    };
    // As a value the command line's parsing refuses.
    const int usageStatus = runRender({"--block", "0", piece, out}, folder).exitCode;
    EXPECT_NE(usageStatus, 0);
    for (auto [args, message] : rows) {
        args.insert(args.end(), {piece, out});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, usageStatus) << run.err;
        EXPECT_EQ(run.err, "ulvo-render: " + message + "\n");
        EXPECT_FALSE(std::filesystem::exists(out)) << message;
    }
}

TEST(UlvoRender, AFailedRenderLeavesAnEarlierOutputAsItWas) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    std::ofstream(folder.path("out.wav")) << "the take we keep";
    const RunResult run = runRender({"--plugin", PROBE_PLUGIN, "--param", "Nope=1",
                                     folder.path("piece.mid"), folder.path("out.wav")},
                                    folder);
    EXPECT_NE(run.exitCode, 0);
    std::ifstream in(folder.path("out.wav"));
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "the take we keep");
}

TEST(UlvoRender, AnInterruptedRenderWritesNothing) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    // An hour of tail in one-frame blocks takes far longer than the two seconds before the signal.
    const std::string command =
        std::string("timeout -s INT 2 '") + ULVO_RENDER + "' --plugin '" + PROBE_PLUGIN +
        "' --block 1 --bit-depth 16 --tail 3600 --rate 384000 '" + folder.path("piece.mid") +
        "' '" + folder.path("out.wav") + "' 2>'" + folder.path("err.txt") + "'";
    const int status = std::system(command.c_str());
    EXPECT_NE(status, 0);
    std::ifstream err(folder.path("err.txt"));
    std::string line;
    std::getline(err, line);
    EXPECT_NE(line.find("interrupted"), std::string::npos) << line;
    const auto names = folder.files();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"piece.mid", "err.txt"}));
}

TEST(UlvoRender, BenchMeasuresSeveralInstrumentsAndWritesNothing) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), twoNotesAfterTempoChanges());
    const RunResult run = runRender({"--bench", "--runs", "3", "--plugin", PROBE_PLUGIN, "--plugin",
                                     ULVODRAW_PLUGIN, folder.path("piece.mid")},
                                    folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(countLines(run.out), 4) << run.out; // heading, two instruments, one ratio
    // Two notes of about 0.1 s in 3.875 s: the voice count comes from the MIDI.
    EXPECT_NE(run.out.find("median of 3 runs"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string(PROBE_PLUGIN) + ": "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ns per voice-sample"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("per voice-sample: "), std::string::npos) << run.out;
    EXPECT_EQ(folder.files(), std::vector<std::string>{"piece.mid"});
}
