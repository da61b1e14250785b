// ulvo-render handled roughly: odd inputs, damaged files, signals, the file-size limit, clipping
// and strict options. Whatever happens, no broken file, no leftovers and no hang.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <sys/stat.h>

#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

// A quarter note at 120 bpm: half a second, and the tail after it.
Bytes oneNote() {
    TrackBytes t;
    t.add(0, {0x90, 60, 100}).add(480, {0x80, 60, 0}).end();
    return midiFile(0, 480, {t});
}

struct FailingRow {
    std::vector<std::string> args;
    std::string message;
};

// Names and contents of the folder's regular files; other names with no contents.
std::map<std::string, std::string> contentsOf(const TempFolder& folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : folder.fileSet()) {
        struct stat info {};
        lstat(folder.path(name).c_str(), &info);
        contents[name] = S_ISREG(info.st_mode) ? slurp(folder.path(name)) : "";
    }
    return contents;
}

// Runs every row and checks that each failed with one line holding its message and left the
// folder as it was, the bytes of every file included.
void expectRefusals(const TempFolder& folder, const std::vector<FailingRow>& rows) {
    const std::map<std::string, std::string> before = contentsOf(folder);
    for (const FailingRow& row : rows) {
        const RunResult run = runRender(row.args, folder);
        EXPECT_NE(run.exitCode, 0) << row.message;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("ulvo-render: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err;
        EXPECT_EQ(contentsOf(folder), before) << row.message;
    }
}

} // namespace

TEST(UlvoRenderRough, OnlyARegularFileIsReadAndNeverReplacedByItsRender) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), oneNote());
    writeFile(folder.path("same.wav"), oneNote());
    ASSERT_EQ(mkdir(folder.path("folder.mid").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(folder.path("pipe.mid").c_str(), 0644), 0);
    ASSERT_EQ(link(folder.path("piece.mid").c_str(), folder.path("linked.wav").c_str()), 0);
    const std::string out = folder.path("out.wav");
    // Nobody writes to the pipe: a render that opened it for reading would wait for good.
    expectRefusals(
        folder,
        {
            {{"--plugin", PROBE_PLUGIN, folder.path("folder.mid"), out}, "is a directory"},
            {{"--plugin", PROBE_PLUGIN, folder.path("pipe.mid"), out}, "is a named pipe"},
            {{"--plugin", PROBE_PLUGIN, "/dev/null", out}, "is a character device"},
            {{"--plugin", folder.path("pipe.mid"), folder.path("piece.mid"), out},
             "is a named pipe, not a plug-in"},
            {{"--plugin", PROBE_PLUGIN, folder.path("same.wav"), folder.path("same.wav")},
             "is the input file"},
            {{"--plugin", PROBE_PLUGIN, folder.path("piece.mid"), folder.path("linked.wav")},
             "is the input file"},
            {{"--plugin", PROBE_PLUGIN, folder.path("same.wav"),
              folder.path("folder.mid/../same.wav")},
             "is the input file"},
        });
}

TEST(UlvoRenderRough, MessagesShowFileBytesEscapedAndNameTheFileAndLimit) {
    TempFolder folder;
    Bytes damaged = oneNote();
    damaged[14 + 1] = 0x00; // the track's chunk name: "M", NUL, 0xFF, newline
    damaged[14 + 2] = 0xFF;
    damaged[14 + 3] = '\n';
    damaged[14 + 4] = 0x7F; // and a length beyond the end of the file
    writeFile(folder.path("damaged.mid"), damaged);
    // An hour at 120 bpm: 7200 quarters of 480 ticks.
    TrackBytes hour;
    hour.add(0, {0x90, 60, 100}).end(7200 * 480);
    writeFile(folder.path("hour.mid"), midiFile(0, 480, {hour}));
    writeFile(folder.path("piece.mid"), oneNote());
    const std::string out = folder.path("out.wav");
    expectRefusals(
        folder,
        {
            // A name of the user's keeps its UTF-8 but not its newline.
            {{"--plugin", PROBE_PLUGIN, folder.path("M\xC3\xBCller\n.mid"), out},
             "M\xC3\xBCller\\x0A.mid'"},
            {{"--plugin", PROBE_PLUGIN, folder.path("damaged.mid"), out},
             "chunk 'M\\x00\\xFF\\x0A' at byte 14"},
            // The longest render at 768000 Hz is 2147483647 frames, 46 min 36.2 s.
            {{"--plugin", PROBE_PLUGIN, "--rate", "768000", folder.path("hour.mid"), out},
             folder.path("hour.mid") +
                 "' lasts 1:00:00.0, longer than the longest render, 0:46:36.2 (2147483647 frames "
                 "at 768000 Hz)"},
            {{"--plugin", PROBE_PLUGIN, "--rate", "768000", "--tail", "3000",
              folder.path("piece.mid"), out},
             folder.path("piece.mid") +
                 "' with a tail of 3000 s would last longer than the longest render: 0:50:00.5 "
                 "against 0:46:36.2"},
        });
}

TEST(UlvoRenderRough, EveryEarlyEndLeavesNoFileAndKeepsTheOlderOne) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), oneNote());
    const std::string out = folder.path("out.wav");
    // An hour of tail in one-frame blocks: far longer than the wait before the signal. It runs
    // in the folder, where a core file would show.
    const std::vector<std::string> longRender{"--plugin",  PROBE_PLUGIN, "--block", "1",
                                              "--tail",    "3600",       "--rate",  "384000",
                                              "piece.mid", "out.wav"};
    const std::pair<int, const char*> signals[] = {
        {SIGINT, "INT"}, {SIGTERM, "TERM"}, {SIGHUP, "HUP"}, {SIGQUIT, "QUIT"}, {SIGPIPE, "PIPE"}};
    for (const auto& [number, name] : signals) {
        std::ofstream(out) << "the take we keep";
        const RunResult run =
            runRender(longRender, folder,
                      "cd '" + folder.path("") + "'; (sleep 0.5; kill -s " + name + " $$) & exec ");
        EXPECT_EQ(run.exitCode, 128 + number) << name;
        EXPECT_EQ(run.err,
                  "ulvo-render: interrupted by SIG" + std::string(name) + "; no file written\n");
        EXPECT_EQ(folder.fileSet(), (std::set<std::string>{"piece.mid", "out.wav"})) << name;
        EXPECT_EQ(slurp(out), "the take we keep") << name;
    }
    // Past the file-size limit a write fails: reported like a full disk, not a killing signal.
    const RunResult run =
        runRender({"--plugin", PROBE_PLUGIN, "--tail", "10", folder.path("piece.mid"), out}, folder,
                  "ulimit -f 64; ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "ulvo-render: cannot write '" + out + "': File too large\n");
    EXPECT_EQ(folder.fileSet(), (std::set<std::string>{"piece.mid", "out.wav"}));
    EXPECT_EQ(slurp(out), "the take we keep");
}

TEST(UlvoRenderRough, ClippingIsReportedAndEveryFormatIsReproducible) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), oneNote());
    const auto render = [&](const std::string& depth, const std::string& name,
                            const std::string& gain = "0") {
        // The probe's right channel is Offset plus Level: 1.1, or +0.8 dBFS, on every frame.
        return runRender({"--plugin", PROBE_PLUGIN, "--param", "Offset=1", "--param", "Level=0.1",
                          "--tail", "0.1", "--gain", gain, "--bit-depth", depth,
                          folder.path("piece.mid"), folder.path(name)},
                         folder);
    };
    // The warning suggests the gain that ends the clipping, counting the one given, and a float
    // file only where the file type holds one.
    const struct {
        const char* depth;
        const char* file;
        const char* gain;
        std::string advice;
    } clipped[] = {
        {"16", "clipped.wav", "0",
         "+0.8 dBFS); render with --gain -1, or keep every sample with "
         "--bit-depth 32f"},
        {"24", "clipped.wav", "-0.5",
         "+0.3 dBFS); render with --gain -1.5, or keep every sample with --bit-depth 32f"},
        {"24", "clipped.flac", "0", "+0.8 dBFS); render with --gain -1"},
    };
    for (const auto& row : clipped) {
        const RunResult run = render(row.depth, row.file, row.gain);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::size_t frames = readAudio(folder.path(row.file)).frames();
        EXPECT_EQ(run.err, "ulvo-render: warning: " + std::to_string(frames) +
                               " samples clipped (peak " + row.advice + "\n");
    }
    // Following the advice: no warning, the samples scaled by the gain.
    const RunResult advised = render("24", "advised.flac", "-1");
    EXPECT_EQ(advised.err, "");
    EXPECT_NEAR(readAudio(folder.path("advised.flac")).channels.at(1).at(100), 1.1 * 0.891251,
                1e-6);
    // A float file keeps the samples; nothing on standard error, which is no terminal here.
    const RunResult kept = render("32f", "kept.wav");
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.err, "");
    EXPECT_EQ(readAudio(folder.path("kept.wav")).channels.at(1).at(100), 1.1f);

    // The same render twice gives the same bytes; a float WAV has no PEAK chunk and its time.
    for (const std::string depth : {"16", "24", "32f"})
        for (const std::string type : {".wav", ".flac"}) {
            if (depth == "32f" && type == ".flac") continue;
            ASSERT_EQ(render(depth, "a" + type).exitCode, 0);
            ASSERT_EQ(render(depth, "b" + type).exitCode, 0);
            const std::string bytes = slurp(folder.path("a" + type));
            EXPECT_EQ(bytes, slurp(folder.path("b" + type))) << depth << type;
            EXPECT_EQ(bytes.find("PEAK"), std::string::npos) << depth << type;
        }
}

TEST(UlvoRenderRough, StrictOptionsAndAnOutputTheUserMayNotWrite) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), oneNote());
    TrackBytes silent;
    silent.add(0, {0xB0, 7, 100}).end(960);
    writeFile(folder.path("silent.mid"), midiFile(0, 480, {silent}));
    const RunResult bench = runRender(
        {"--bench", "--runs", "1", "--plugin", PROBE_PLUGIN, folder.path("silent.mid")}, folder);
    ASSERT_EQ(bench.exitCode, 0) << bench.err;
    EXPECT_NE(bench.out.find("no cost per voice-sample (the piece has no notes)"),
              std::string::npos)
        << bench.out;
    EXPECT_EQ(bench.out.find("ns per voice-sample"), std::string::npos) << bench.out;

    std::ofstream(folder.path("out.wav")) << "the take we keep";
    ASSERT_EQ(chmod(folder.path("out.wav").c_str(), 0444), 0);
    ASSERT_EQ(mkdir(folder.path("folder.wav").c_str(), 0755), 0);
    const std::string piece = folder.path("piece.mid");
    const std::string out = folder.path("out.wav");
    expectRefusals(folder, {
                               {{"--plugin", PROBE_PLUGIN, piece, out}, "may not be replaced"},
                               {{"--plugin", PROBE_PLUGIN, piece, folder.path("folder.wav")},
                                "is a directory; the output must be a file"},
                           });
}

TEST(UlvoRenderRough, ExactEventsMakeTheBlockSizeInaudible) {
    TempFolder folder;
    // Our instrument bends from the start of the block in which the bend arrives; a bend at
    // tick 100 (frame 4594) falls inside a block of 512.
    TrackBytes t;
    t.add(0, {0x90, 69, 100})
        .add(100, {0xE0, 0, 80})
        .add(150, {0x90, 72, 90})
        .add(230, {0x80, 69, 0})
        .end();
    writeFile(folder.path("bend.mid"), midiFile(0, 480, {t}));
    const auto render = [&](std::vector<std::string> options) {
        const std::string out = folder.path("out.wav");
        options.insert(options.begin(),
                       {"--plugin", ULVODRAW_PLUGIN, "--bit-depth", "32f", "--tail", "0.2"});
        options.push_back(folder.path("bend.mid"));
        options.push_back(out);
        const RunResult run = runRender(options, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return readAudio(out).channels;
    };
    // One-frame blocks put every event on its own frame by nature.
    const auto reference = render({"--block", "1"});
    ASSERT_EQ(reference.size(), 2u);
    EXPECT_NE(render({"--block", "512"}), reference);
    for (const std::string block : {"64", "512", "4096"})
        EXPECT_EQ(render({"--exact-events", "--block", block}), reference) << block;
}
