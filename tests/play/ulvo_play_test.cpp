// ulvo-play run as a user runs it, beside a private JACK server (with_jack.sh): what it plays from
// a keyboard, with the server in freewheel, is to the bit what the instrument renders of the same
// events offline through the MIDI front at the same period, and live at the server's pace a chord
// sounds; xruns are told a few lines at a time; a fresh player's programs are the factory
// presets; its state survives a clean exit and a save cut short, a damaged state file is kept
// aside, players of different names keep files of their own,
// a session manager gets its answers, and a missing server or a bad option gives one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/resource.h>
#include <thread>

#include <lo/lo.h>

#include "synth/bank_text.h"
#include "synth/instrument.h"
#include "synth/midi_front.h"
#include "synth/preset_text.h"
#include "synth/tuning/tuning_source.h"
#include "synth/tuning/tuning_state_text.h"
#include "tests/play/factory_bank.h"
#include "tests/play/fake_session_manager.h"
#include "tests/play/jack_probe.h"
#include "tests/play/player_process.h"
#include "tests/tools/render_run.h"
#include "tools/play/controller_map.h"

namespace {

constexpr const char* kPlayingLine = "ulvo-play: playing as";
constexpr std::int64_t kScriptFrames = 72000;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// Notes alone and together, one held by the pedal past its release, a program change in the
// middle of the piece and back at its end, all notes off, and all sound off to leave the
// instrument silent. Frames fall anywhere within a period.
std::vector<TimedMidi> keyboardScript() {
    return {
        {100, {0x90, 60, 100}},   {9000, {0x90, 64, 90}},   {15000, {0x80, 60, 0}},
        {20000, {0xB0, 64, 127}}, {20500, {0x80, 64, 0}},   {24001, {0x90, 67, 110}},
        {30003, {0x90, 67, 0}},   {36007, {0xB0, 64, 0}},   {40000, {0xC0, 5}},
        {41011, {0x90, 48, 80}},  {41011, {0x90, 55, 80}},  {52013, {0xB0, 123, 0}},
        {60000, {0xC0, 0}},       {61000, {0x90, 72, 127}}, {66017, {0xB0, 120, 0}},
    };
}

// The same events through the MIDI front and the instrument, in periods of `period` frames, as
// the player's process callback and the LV2 front's run() hand them over; with `controllers`,
// the controllers it claims set their controls instead, as in the player.
Recording renderOffline(Instrument& instrument, MidiFront& front,
                        const std::vector<TimedMidi>& events, std::int64_t frames,
                        std::uint32_t period, const ControllerMap* controllers = nullptr) {
    Recording out;
    out.channels[0].resize(static_cast<std::size_t>(frames));
    out.channels[1].resize(static_cast<std::size_t>(frames));
    std::size_t next = 0;
    for (std::int64_t start = 0; start < frames; start += period) {
        const auto length =
            static_cast<std::int32_t>(std::min<std::int64_t>(period, frames - start));
        for (; next < events.size() && events[next].frame < start + length; ++next) {
            const std::vector<std::uint8_t>& bytes = events[next].bytes;
            if (controllers != nullptr &&
                controllers->apply(bytes.data(), bytes.size(), instrument))
                continue;
            front.message(bytes.data(), bytes.size(),
                          static_cast<std::int32_t>(events[next].frame - start));
        }
        instrument.renderReplacing(out.channels[0].data() + start, out.channels[1].data() + start,
                                   length);
    }
    return out;
}

std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
    std::vector<std::string> result;
    for (const std::string& line : lines(text))
        if (line.rfind(prefix, 0) == 0) result.push_back(line);
    return result;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

double peak(const std::vector<float>& samples) {
    double p = 0.0;
    for (float s : samples)
        p = std::max(p, std::abs(double(s)));
    return p;
}

// The instrument that the command line below describes, built without the player's code: a
// fresh player's factory programs, then the preset and the parameter in program 0.
void setUpAsCommandLine(Instrument& instrument, float rate) {
    const PresetParse presets = parsePresets(slurp(ULVO_FACTORY_PRESETS));
    const Preset* organ = findPreset(presets.presets, "Full Organ");
    ASSERT_NE(organ, nullptr);
    instrument.setSampleRate(rate);
    loadFactoryBank(instrument, slurp(ULVO_FACTORY_PRESETS));
    instrument.loadValues(organ->values);
    instrument.setProgramName(0, organ->name.c_str());
    instrument.setParameter(Wave, 0.333333f);
    instrument.selectProgram(0);
    instrument.selectProgram(0);
}

struct PlayedRun {
    std::unique_ptr<PlayerProcess> player; // still running
    std::unique_ptr<Instrument> offline;   // what it should be after the script
};

// Starts the player with `args` as client `name`, plugs the probe in and plays the script with
// the server in freewheel, where no period can be missed however loaded the machine; the
// recording must match the offline render of the same events to the bit.
PlayedRun playScript(JackProbe& probe, std::vector<std::string> args, const std::string& name,
                     const std::string& folder) {
    args.insert(args.end(), {"--no-gui", "--name", name});
    PlayedRun run{std::make_unique<PlayerProcess>(args, folder), nullptr};
    if (!run.player->waitForOutput(kPlayingLine)) {
        ADD_FAILURE() << "the player did not start: " << run.player->err();
        return run;
    }
    if (!probe.plugInto(name + ":midi_in", name + ":draw_1", name + ":draw_2")) {
        ADD_FAILURE() << "cannot connect to " << name;
        return run;
    }
    run.offline = std::make_unique<Instrument>();
    MidiFront front(*run.offline);
    setUpAsCommandLine(*run.offline, probe.sampleRate());
    const Recording played =
        probe.play(keyboardScript(), kScriptFrames, JackProbe::Pace::Freewheel);
    const Recording expected =
        renderOffline(*run.offline, front, keyboardScript(), kScriptFrames, probe.periodSize());
    EXPECT_EQ(played.framesMissed, 0);
    EXPECT_GT(peak(expected.channels[0]), 0.01);
    EXPECT_TRUE(sameBits(played.channels[0], expected.channels[0]));
    EXPECT_TRUE(sameBits(played.channels[1], expected.channels[1]));
    return run;
}

struct XrunLines {
    int lines = 0;
    long long missed = 0; // the periods they count
};

XrunLines xrunLines(const std::string& err) {
    constexpr std::string_view kPrefix = "ulvo-play: xrun: the server missed ";
    XrunLines result;
    for (const std::string& line : linesStarting(err, std::string(kPrefix))) {
        ++result.lines;
        result.missed += std::atoll(line.c_str() + kPrefix.size());
    }
    return result;
}

bool connectedTo(const std::vector<std::string>& connections, const std::string& port) {
    return std::find(connections.begin(), connections.end(), port) != connections.end();
}

} // namespace

TEST(UlvoPlay, PlaysTheKeyboardToTheBitAndKeepsItsStateAcrossRuns) {
    TempFolder folder;
    const std::string state = folder.path("config/state");
    JackProbe probe;
    std::string expectedState;
    {
        const auto started = std::chrono::steady_clock::now();
        PlayedRun run = playScript(
            probe, {"--state", state, "--preset", "full organ", "--param", "wave=0.333333"},
            "player-a", folder.path(""));
        ASSERT_TRUE(run.offline);
        // Connected to the system's playback by default.
        EXPECT_TRUE(connectedTo(probe.connections("player-a:draw_1"), "system:playback_1"));
        EXPECT_TRUE(connectedTo(probe.connections("player-a:draw_2"), "system:playback_2"));
        // Live, at the server's pace and its 64-frame period, as a musician plays: a chord
        // sounds in both outputs. A loaded machine may miss periods, and JACK drops what a late
        // client sent in them, the chord perhaps; such a take is played again.
        constexpr std::int64_t kLiveFrames = 24000;
        const auto sounds = [](const Recording& r) {
            return peak(r.channels[0]) > 0.01 && peak(r.channels[1]) > 0.01;
        };
        Recording live;
        for (int take = 1; take <= 5 && !sounds(live); ++take)
            live = probe.play(
                {{0, {0x90, 60, 100}}, {0, {0x90, 67, 100}}, {kLiveFrames - 2000, {0xB0, 120, 0}}},
                kLiveFrames);
        EXPECT_TRUE(sounds(live));
        // Missed periods are told at most once a second, each line with the count since the
        // line before: many stalls in a short while give a few lines that count them all.
        constexpr int kStalls = 20;
        for (int i = 0; i < kStalls; ++i) {
            probe.stallOnce(20);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        EXPECT_TRUE(run.player->waitForError("ulvo-play: xrun: "));
        EXPECT_EQ(run.player->stop(SIGTERM), 0) << run.player->err();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const XrunLines xruns = xrunLines(run.player->err());
        EXPECT_GE(xruns.missed, kStalls) << run.player->err();
        EXPECT_LE(xruns.lines, 2 + static_cast<int>(seconds)) << run.player->err();
        expectedState = writeBankText(*run.offline);
    }
    // Saved on SIGTERM: every program, the current one, the sound.
    EXPECT_EQ(slurp(state), expectedState);

    // Restored at the next start, where the same keys give the same samples; nothing connected
    // but the probe this time.
    PlayedRun run =
        playScript(probe, {"--no-connect", "--state", state}, "player-b", folder.path(""));
    ASSERT_TRUE(run.offline);
    EXPECT_EQ(probe.connections("player-b:draw_1"),
              std::vector<std::string>{"probe-recorder:in_1"});
    EXPECT_EQ(run.player->stop(SIGINT), 0) << run.player->err();
    EXPECT_EQ(slurp(state), writeBankText(*run.offline));
    // No temporary file is left behind.
    EXPECT_EQ(namesIn(folder.path("config")), std::vector<std::string>{"state"});
}

TEST(UlvoPlay, DamagedStateIsKeptAsideNeverOverwrittenAndTheFactoryProgramsSaved) {
    TempFolder folder;
    const std::string state = folder.path("state");
    auto other = std::make_unique<Instrument>();
    other->setProgramName(2, "other");
    other->selectProgram(2);
    const std::string whole = writeBankText(*other);
    const std::string damaged[] = {
        "ulvodraw-bank 1\ncurrent 0\nprogram 0 0.5 oops\n",
        "not a bank at all",
        replaced(whole, "current 2\n", ""),             // every program, no current one
        replaced(whole, "current 2\n", "current 99\n"), // no such program
        replaced(whole, "program 31 ", "program 32 "),  // 31 programs and one past the last
    };
    auto factory = std::make_unique<Instrument>();
    loadFactoryBank(*factory, slurp(ULVO_FACTORY_PRESETS));
    int n = 0;
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 40));
        ++n;
        writeText(state, text);
        PlayerProcess player({"--no-gui", "--no-connect", "--state", state}, folder.path(""));
        ASSERT_TRUE(player.waitForOutput(kPlayingLine)) << player.err();
        EXPECT_EQ(player.stop(SIGTERM), 0);
        const std::string aside = state + ".damaged-" + std::to_string(n);
        const std::vector<std::string> warnings =
            linesStarting(player.err(), "ulvo-play: warning:");
        ASSERT_EQ(warnings.size(), 1u) << player.err();
        EXPECT_NE(warnings[0].find("damaged"), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find(aside), std::string::npos) << warnings[0];
        // The damaged file is kept as it was, beside the earlier ones; the player started afresh,
        // with the factory programs, and saved them.
        for (int kept = 1; kept <= n; ++kept)
            EXPECT_EQ(slurp(state + ".damaged-" + std::to_string(kept)), damaged[kept - 1]);
        EXPECT_EQ(slurp(state), writeBankText(*factory));
    }
}

TEST(UlvoPlay, ASaveThatFailsPartWayLeavesThePreviousStateWhole) {
    TempFolder folder;
    const std::string state = folder.path("config/state");
    std::filesystem::create_directories(folder.path("config"));
    auto previous = std::make_unique<Instrument>();
    previous->selectProgram(4);
    const std::string before = writeBankText(*previous);
    writeText(state, before);
    PlayerProcess player({"--no-gui", "--no-connect", "--state", state, "--program", "6"},
                         folder.path(""));
    ASSERT_TRUE(player.waitForOutput(kPlayingLine)) << player.err();
    // A file-size limit below the bank's size, set on the running player: its save stops part
    // way through the bank.
    const rlimit limit{before.size() / 2, before.size() / 2};
    ASSERT_EQ(prlimit(player.id(), RLIMIT_FSIZE, &limit, nullptr), 0);
    EXPECT_EQ(player.stop(SIGTERM), 1);
    const std::vector<std::string> errors = linesStarting(player.err(), "ulvo-play: cannot save");
    ASSERT_EQ(errors.size(), 1u) << player.err();
    EXPECT_NE(errors[0].find(state), std::string::npos) << errors[0];
    EXPECT_EQ(slurp(state), before);
    EXPECT_EQ(namesIn(folder.path("config")), std::vector<std::string>{"state"});
}

TEST(UlvoPlay, PlayersOfDifferentNamesKeepStateFilesOfTheirOwn) {
    TempFolder folder;
    const std::string config = folder.path("config/ulvodraw");
    const std::string home = folder.path("home");
    // Side by side, each in a program of its own; the plain name keeps the file it always had,
    // and without XDG_CONFIG_HOME the files go to ~/.config.
    const struct {
        std::string name, program, environment, file;
    } players[] = {
        {"ulvo-play", "3", "XDG_CONFIG_HOME=" + folder.path("config"), config + "/state"},
        {"organ", "5", "XDG_CONFIG_HOME=" + folder.path("config"), config + "/organ.state"},
        {"bass", "7", "XDG_CONFIG_HOME=", home + "/.config/ulvodraw/bass.state"},
    };
    std::vector<std::unique_ptr<PlayerProcess>> running;
    for (const auto& p : players) {
        running.push_back(std::make_unique<PlayerProcess>(
            std::vector<std::string>{"--no-gui", "--no-connect", "--name", p.name, "--program",
                                     p.program},
            folder.path(""), std::vector<std::string>{p.environment, "HOME=" + home}));
        ASSERT_TRUE(running.back()->waitForOutput(kPlayingLine)) << running.back()->err();
    }
    for (auto& player : running)
        EXPECT_EQ(player->stop(SIGTERM), 0) << player->err();
    for (const auto& p : players)
        EXPECT_EQ(slurp(p.file).rfind("ulvodraw-bank " + std::to_string(kBankTextVersion) +
                                          "\ncurrent " + p.program + "\n",
                                      0),
                  0u)
            << p.file;
    EXPECT_EQ(namesIn(config), (std::vector<std::string>{"organ.state", "state"}));
}

TEST(UlvoPlay, WithoutAServerOrWithBadInputOneLineAndNoFile) {
    TempFolder folder;
    const std::string state = folder.path("state");
    const std::string absent = "ulvo-absent-" + std::to_string(getpid());
    {
        PlayerProcess player({"--no-gui", "--state", state}, folder.path(""),
                             {"JACK_DEFAULT_SERVER=" + absent});
        EXPECT_EQ(player.wait(), 1);
        const std::vector<std::string> error = lines(player.err());
        ASSERT_EQ(error.size(), 1u) << player.err();
        EXPECT_NE(error[0].find("no JACK server is running"), std::string::npos) << error[0];
        // It started none.
        jack_status_t status{};
        jack_client_t* client = jack_client_open(
            "probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
            absent.c_str());
        EXPECT_EQ(client, nullptr);
        if (client != nullptr) jack_client_close(client);
    }
    for (const char* bad : {"--bogus", "--program=32", "--param=cutoff=1.5", "--param=nothing=0.5",
                            "--preset=No Such Sound", "--scale=0", "--name", "surplus"}) {
        PlayerProcess player({"--no-gui", "--state", state, bad}, folder.path(""));
        const int code = player.wait();
        EXPECT_TRUE(code == 1 || code == 2) << bad << ": " << code;
        EXPECT_EQ(lines(player.err()).size(), 1u) << player.err();
    }
    EXPECT_FALSE(std::filesystem::exists(state));

    PlayerProcess version({"--version"}, folder.path(""));
    EXPECT_EQ(version.wait(), 0);
    EXPECT_EQ(version.out(), std::string("ulvo-play ") + ULVO_VERSION + "\n");
    PlayerProcess help({"--help"}, folder.path(""));
    EXPECT_EQ(help.wait(), 0);
    EXPECT_EQ(help.out().rfind("usage: ulvo-play", 0), 0u);
}

// A damaged tuning file ends the player with one line before anything else; a good one is kept in
// the state, and a later run without the file plays the keyboard in that tuning, MTS SysEx from
// the JACK input included, to the bit of the same tuning offline.
TEST(UlvoPlay, KeepsTheTuningInItsStateAndTakesTuningSysExFromItsInput) {
    TempFolder folder;
    const std::string state = folder.path("state");
    const std::string scale = folder.path("just.scl");
    writeText(scale, "! just.scl\nJust major\n 7\n 9/8\n 5/4\n 4/3\n 3/2\n 5/3\n 15/8\n 2/1\n");
    writeText(folder.path("bad.scl"), "bad\n 2\n 9/8\n -1/2\n");
    {
        PlayerProcess bad({"--no-gui", "--state", state, "--tuning", folder.path("bad.scl")},
                          folder.path(""));
        EXPECT_EQ(bad.wait(), 2);
        const std::vector<std::string> error = lines(bad.err());
        ASSERT_EQ(error.size(), 1u) << bad.err();
        EXPECT_NE(error[0].find("bad.scl: line 4"), std::string::npos) << error[0];
        EXPECT_FALSE(std::filesystem::exists(state));
    }
    JackProbe probe;
    {
        PlayerProcess first(
            {"--no-gui", "--no-connect", "--name", "tuned-a", "--state", state, "--tuning", scale},
            folder.path(""));
        ASSERT_TRUE(first.waitForOutput(kPlayingLine)) << first.err();
        EXPECT_EQ(first.stop(SIGTERM), 0) << first.err();
    }
    const std::string saved = slurp(state);
    EXPECT_EQ(saved.rfind("ulvodraw-bank 3\n", 0), 0u);
    const TuningStateFiles files = readTuningStateLines(saved);
    EXPECT_EQ(files.scale.name, scale);
    EXPECT_EQ(files.scale.text, slurp(scale));
    std::filesystem::remove(scale);

    PlayerProcess second({"--no-gui", "--no-connect", "--name", "tuned-b", "--state", state},
                         folder.path(""));
    ASSERT_TRUE(second.waitForOutput(kPlayingLine)) << second.err();
    ASSERT_TRUE(probe.plugInto("tuned-b:midi_in", "tuned-b:draw_1", "tuned-b:draw_2"));
    auto offline = std::make_unique<Instrument>();
    offline->setSampleRate(probe.sampleRate());
    restoreBankText(*offline, saved);
    TuningSource tuning;
    ASSERT_EQ(tuning.setScale(files.scale), "");
    offline->setTuning(*tuning.table());
    MidiFront front(*offline);
    // Note 67 retuned a quarter tone up before it is played, and note 64 while it sounds.
    const std::vector<TimedMidi> script = {
        {0, {0x90, 60, 100}},
        {3000, {0x90, 64, 100}},
        {6000, {0xF0, 0x7F, 0x7F, 0x08, 0x02, 0x00, 0x02, 67, 67, 0x20, 0x00, 64, 63, 0, 0, 0xF7}},
        {9000, {0x90, 67, 100}},
        {20000, {0xB0, 120, 0}}};
    const Recording played = probe.play(script, 24000, JackProbe::Pace::Freewheel);
    const Recording expected = renderOffline(*offline, front, script, 24000, probe.periodSize());
    EXPECT_GT(peak(expected.channels[0]), 0.01);
    EXPECT_TRUE(sameBits(played.channels[0], expected.channels[0]));
    EXPECT_TRUE(sameBits(played.channels[1], expected.channels[1]));
    EXPECT_EQ(second.stop(SIGTERM), 0) << second.err();
    EXPECT_EQ(slurp(state), saved);
}

TEST(UlvoPlay, InASessionItsFolderKeepsTheStateSavedWhenTheManagerAsks) {
    TempFolder folder;
    JackProbe probe;
    FakeSessionManager manager;
    const std::string clientId = "ulvo-play.nTEST";
    const std::string session = folder.path("session/" + clientId);
    PlayerProcess player({"--no-gui", "--no-connect", "--state", folder.path("standalone")},
                         folder.path(""), {"NSM_URL=" + manager.url()});
    ASSERT_TRUE(manager.waitUntil([&] { return manager.announced; }));
    EXPECT_EQ(manager.announce.application, "ulvo-play");
    EXPECT_EQ(manager.announce.executable, ULVO_PLAY);
    EXPECT_EQ(manager.announce.apiMajor, 1);
    EXPECT_EQ(manager.announce.pid, player.id());
    // No JACK client before the session is open: its name comes with the open.
    EXPECT_FALSE(probe.hasClient("ulvo-play"));

    manager.welcome();
    manager.open(session, clientId);
    ASSERT_TRUE(manager.waitUntil([&] { return !manager.answersTo("/nsm/client/open").empty(); }));
    EXPECT_EQ(manager.answersTo("/nsm/client/open"), std::vector<std::string>{"OK"});
    ASSERT_TRUE(probe.hasClient(clientId));
    ASSERT_TRUE(probe.plugInto(clientId + ":midi_in", clientId + ":draw_1", clientId + ":draw_2"));

    // Each save writes what the player holds then: first the factory programs of a new session,
    // then after a program change.
    auto mirror = std::make_unique<Instrument>();
    loadFactoryBank(*mirror, slurp(ULVO_FACTORY_PRESETS));
    for (std::uint8_t program : {0, 7}) {
        if (program != 0) {
            probe.play({{0, {0xC0, program}}}, 256, JackProbe::Pace::Freewheel);
            mirror->selectProgram(program);
        }
        const std::size_t saves = manager.answersTo("/nsm/client/save").size();
        manager.save();
        ASSERT_TRUE(manager.waitUntil(
            [&] { return manager.answersTo("/nsm/client/save").size() > saves; }));
        EXPECT_EQ(manager.answersTo("/nsm/client/save").back(), "OK");
        EXPECT_EQ(slurp(session + "/state"), writeBankText(*mirror));
    }
    // Quitting, as the manager asks with SIGTERM, saves nothing: the session keeps its last save.
    probe.play({{0, {0xC0, 3}}}, 256, JackProbe::Pace::Freewheel);
    EXPECT_EQ(player.stop(SIGTERM), 0) << player.err();
    EXPECT_EQ(slurp(session + "/state"), writeBankText(*mirror));
    EXPECT_FALSE(std::filesystem::exists(folder.path("standalone")));
}

TEST(UlvoPlay, ControllerKnobsMoveParametersByTheDefaultMapOrTheFileThatReplacesIt) {
    TempFolder folder;
    const std::string state = folder.path("saved/state");
    const std::vector<std::string> environment = {"HOME=" + folder.path("home"),
                                                  "XDG_CONFIG_HOME=" + folder.path("config")};
    JackProbe probe;
    auto mirror = std::make_unique<Instrument>();
    loadFactoryBank(*mirror, slurp(ULVO_FACTORY_PRESETS));
    Recording played;
    const auto playKnobs = [&](const std::vector<std::string>& extra,
                               const std::vector<TimedMidi>& knobs, std::int64_t frames) {
        std::vector<std::string> args = {"--no-gui", "--no-connect", "--name",
                                         "knobs",    "--state",      state};
        args.insert(args.end(), extra.begin(), extra.end());
        PlayerProcess player(args, folder.path(""), environment);
        ASSERT_TRUE(player.waitForOutput(kPlayingLine)) << player.err();
        ASSERT_TRUE(probe.plugInto("knobs:midi_in", "knobs:draw_1", "knobs:draw_2"));
        played = probe.play(knobs, frames, JackProbe::Pace::Freewheel);
        EXPECT_EQ(player.stop(SIGTERM), 0) << player.err();
    };

    // The default map: the cut-off closed on 74, the 8' drawbar pulled out on 106 (any channel),
    // the vibrato depth halfway on 77.
    playKnobs({}, {{0, {0xB0, 74, 0}}, {10, {0xB3, 106, 127}}, {300, {0xB0, 77, 64}}}, 1024);
    mirror->setParameter(CutOff, 0.0f);
    mirror->setParameter(Drawbar8, 1.0f);
    mirror->setParameter(VibratoDepth, static_cast<float>(100.0 * 64 / 127));
    EXPECT_EQ(slurp(state), writeBankText(*mirror));

    // A file replaces it: 74 now pushes the 8' drawbar in, the other way round, 106 and 77 move
    // nothing any more, and 64 opens the cut-off instead of holding the note as the pedal would:
    // the take is to the bit the same events offline through the map and the MIDI front.
    const std::string map = folder.path("drawbars.map");
    const std::string mapText = "# one drawbar\n74 drawbar_8 invert\n64 cutoff\n";
    writeText(map, mapText);
    const std::vector<TimedMidi> knobs = {{0, {0x90, 60, 100}},    {10, {0xB0, 74, 127}},
                                          {20, {0xB0, 106, 127}},  {30, {0xB0, 77, 0}},
                                          {500, {0xB0, 64, 127}},  {4000, {0x80, 60, 0}},
                                          {12000, {0x90, 64, 90}}, {16000, {0x80, 64, 0}}};
    constexpr std::int64_t kKnobFrames = 24000;
    playKnobs({"--cc-map", map}, knobs, kKnobFrames);
    mirror->setSampleRate(probe.sampleRate());
    mirror->settleProgram(0);
    MidiFront front(*mirror);
    const ControllerMap controllers = ControllerMap::parse(mapText, map);
    const Recording expected =
        renderOffline(*mirror, front, knobs, kKnobFrames, probe.periodSize(), &controllers);
    EXPECT_EQ(played.framesMissed, 0);
    EXPECT_GT(peak(expected.channels[0]), 0.01);
    EXPECT_TRUE(sameBits(played.channels[0], expected.channels[0]));
    EXPECT_EQ(mirror->parameter(CutOff), 1.0f);
    EXPECT_EQ(mirror->parameter(Drawbar8), 0.0f);
    EXPECT_EQ(slurp(state), writeBankText(*mirror));

    // A bad map: one line naming the file and the line, no client, the state as it was.
    const std::string before = slurp(state);
    const std::string bad = folder.path("bad.map");
    writeText(bad, "74 cutoff\n75 cutof\n");
    PlayerProcess player(
        {"--no-gui", "--no-connect", "--name", "knobs", "--state", state, "--cc-map", bad},
        folder.path(""), environment);
    EXPECT_EQ(player.wait(), 1);
    const std::vector<std::string> error = lines(player.err());
    ASSERT_EQ(error.size(), 1u) << player.err();
    EXPECT_EQ(error[0].rfind("ulvo-play: " + bad + ":2: no parameter has the symbol 'cutof'", 0),
              0u)
        << error[0];
    EXPECT_FALSE(probe.hasClient("knobs"));
    EXPECT_EQ(slurp(state), before);
    EXPECT_EQ(namesIn(folder.path("saved")), std::vector<std::string>{"state"});
}
