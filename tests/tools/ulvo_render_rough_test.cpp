// ulvo-render handled roughly: odd inputs, damaged files, signals, full disks, narrow terminals
// and strict options. Whatever happens, no broken file, no leftovers and no hang.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

// A quarter note at 120 bpm: half a second, and the tail after it.
Bytes oneNote() {
    TrackBytes t;
    t.add(0, {0x90, 60, 100}).add(480, {0x80, 60, 0}).end();
    return midiFile(0, 480, {t});
}

// Runs every row and checks that each failed with one line holding its message and left the
// folder as it was, the bytes of every file included.
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
    damaged[14 + 1] = 0x00; // the track's chunk name: "M\0rk"
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
            {{"--plugin", PROBE_PLUGIN, folder.path("damaged.mid"), out},
             "chunk 'M\\x00rk' at byte 14"},
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
    const std::set<std::string> kept{"piece.mid", "out.wav", "err.txt"};
    // An hour of tail in one-frame blocks: far longer than the wait for the temporary file.
    const std::vector<std::string> longRender{"--plugin", PROBE_PLUGIN, "--block",
                                              "1",        "--tail",     "3600",
                                              "--rate",   "384000",     folder.path("piece.mid"),
                                              out};
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        std::ofstream(out) << "the take we keep";
        const pid_t pid = startRender(longRender, folder.path("err.txt"));
        bool started = false;
        for (int wait = 0; wait < 2000 && !started; ++wait) {
            for (const std::string& name : folder.files())
                started = started || name.rfind(".out.wav.", 0) == 0;
            if (!started) usleep(10000);
        }
        EXPECT_TRUE(started) << strsignal(signal);
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        // What a shell reports as 128 + the signal's number; and no core file for SIGQUIT.
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal);
        EXPECT_FALSE(WCOREDUMP(status));
        const std::string err = slurp(folder.path("err.txt"));
        EXPECT_EQ(countLines(err), 1) << err;
        EXPECT_NE(err.find("interrupted by SIG"), std::string::npos) << err;
        EXPECT_EQ(folder.fileSet(), kept) << strsignal(signal);
        EXPECT_EQ(slurp(out), "the take we keep") << strsignal(signal);
    }
    // Past the file-size limit a write fails: reported like a full disk, not a killing signal.
    const RunResult run =
        runRender({"--plugin", PROBE_PLUGIN, "--tail", "10", folder.path("piece.mid"), out}, folder,
                  "ulimit -f 64; ");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(countLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(folder.fileSet(), kept);
    EXPECT_EQ(slurp(out), "the take we keep");
}

TEST(UlvoRenderRough, ClippingIsReportedAndEveryFormatIsReproducible) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), oneNote());
    const auto render = [&](const std::string& depth, const std::string& name) {
        // The probe's right channel is Offset plus Level: 1.1, or +0.8 dBFS, on every frame.
        return runRender({"--plugin", PROBE_PLUGIN, "--param", "Offset=1", "--param", "Level=0.1",
                          "--tail", "0.1", "--bit-depth", depth, folder.path("piece.mid"),
                          folder.path(name)},
                         folder);
    };
    for (const std::string depth : {"16", "24"}) {
        const RunResult run = render(depth, "clipped.wav");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::size_t frames = readAudio(folder.path("clipped.wav")).frames();
        EXPECT_EQ(run.err, "ulvo-render: warning: " + std::to_string(frames) +
                               " samples clipped (peak +0.8 dBFS); render with --bit-depth 32f "
                               "or at a lower level\n");
    }
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
                               {{"--plugin", PROBE_PLUGIN, "--tail", "0x10", piece, out},
                                "--tail takes a number from 0 to 3600, not '0x10'"},
                               {{"--plugin", PROBE_PLUGIN, "--runs", "3", piece, out},
                                "--runs goes only with --bench"},
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
