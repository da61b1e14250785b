// The LV2 front's tuning: the scale and keymap properties set by patch:Set and loaded by the
// worker, kept in the state with the files' texts so that a fresh instance plays the same without
// the files; an empty path back to equal temperament; a damaged file leaves the tuning in force.
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include "plugin/lv2/ulvodraw_uris.h"
#include "tests/lv2/lv2_host.h"
#include "tests/support/measured_pitch.h"

namespace {

// Notes 60 to 72 one after the other; the left channel of the whole phrase.
std::vector<float> phrase(Lv2Host& host) {
    std::vector<float> all, left, right;
    for (std::uint8_t note = 60; note <= 72; ++note) {
        host.run(512, {{0, {0x90, note, 100}}, {400, {0x80, note, 0}}}, left, right);
        all.insert(all.end(), left.begin(), left.end());
    }
    return all;
}

class TuningFolder {
  public:
    TuningFolder()
        : path(std::filesystem::temp_directory_path() /
               ("lv2-tuning-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~TuningFolder() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::string& text) const {
        const std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::filesystem::path path;
};

const std::string kJustScale = "! just.scl\nJust intonation, C major\n 7\n 9/8\n 5/4\n 4/3\n 3/2\n"
                               " 5/3\n 15/8\n 2/1\n";
const std::string kWhiteKeys = "12\n0\n127\n60\n69\n440\n7\n0\nx\n1\nx\n2\n3\nx\n4\nx\n5\nx\n6\n";

} // namespace

// Each comparison is between first phrases of instances: a phrase leaves its voices behind.
TEST(Lv2Tuning, AStateWithATuningPlaysTheSameInAFreshInstanceWithoutTheFiles) {
    TuningFolder folder;
    const std::string scale = folder.write("just.scl", kJustScale);
    const std::string keymap = folder.write("white.kbm", kWhiteKeys);
    Lv2Host tuned, plain;
    ASSERT_TRUE(tuned.loaded() && plain.loaded());
    tuned.setPath(kScaleUri, scale);
    tuned.setPath(kKeymapUri, keymap);
    const Lv2Host::State state = tuned.saveState();
    const std::vector<float> played = phrase(tuned);
    const std::vector<float> plainPhrase = phrase(plain);
    EXPECT_NE(played, plainPhrase);

    const auto text = [&](const char* key) {
        const auto found = state.find(tuned.map(key));
        return found == state.end() ? std::string() : found->second.first;
    };
    EXPECT_EQ(text(kStateScaleTextUri), kJustScale + '\0');
    EXPECT_EQ(text(kStateScaleNameUri), scale + '\0');
    EXPECT_EQ(text(kStateKeymapTextUri), kWhiteKeys + '\0');
    EXPECT_EQ(text(kStateKeymapNameUri), keymap + '\0');
    std::filesystem::remove_all(folder.path);

    // The files are gone: setting the path now is refused and equal temperament stays, while
    // a fresh instance given the state plays what was saved. Both hosts map URIs in one order.
    Lv2Host fresh, reference;
    reference.setPath(kScaleUri, scale);
    EXPECT_EQ(phrase(reference), plainPhrase);
    fresh.restoreState(state);
    EXPECT_EQ(phrase(fresh), played);
}

TEST(Lv2Tuning, AnEmptyPathGoesBackToEqualTemperamentAndADamagedFileChangesNothing) {
    TuningFolder folder;
    const std::string scale = folder.write("just.scl", kJustScale);
    const std::string damaged = folder.write("bad.scl", "bad\n 3\n 9/8\n 0/4\n 2/1\n");
    Lv2Host tunedOnly, plain;
    ASSERT_TRUE(tunedOnly.loaded());
    tunedOnly.setPath(kScaleUri, scale);
    const std::vector<float> tunedPhrase = phrase(tunedOnly);
    const std::vector<float> plainPhrase = phrase(plain);
    ASSERT_NE(tunedPhrase, plainPhrase);

    Lv2Host kept;
    kept.setPath(kScaleUri, scale);
    kept.setPath(kScaleUri, damaged);
    EXPECT_EQ(kept.saveState().at(kept.map(kStateScaleTextUri)).first, kJustScale + '\0');
    EXPECT_EQ(phrase(kept), tunedPhrase);

    Lv2Host reset;
    reset.setPath(kScaleUri, scale);
    reset.setPath(kScaleUri, "");
    EXPECT_EQ(reset.saveState().count(reset.map(kStateScaleTextUri)), 0u);
    EXPECT_EQ(phrase(reset), plainPhrase);
}

// The notify port tells the names in force: at the first run, after each change the worker
// made, when asked with a patch:Get and after a restore; otherwise nothing.
TEST(Lv2Tuning, TheNotifyPortTellsTheFilesInForceWhenTheyChangeWhenAskedAndAfterARestore) {
    TuningFolder folder;
    const std::string scale = folder.write("just.scl", kJustScale);
    const std::string keymap = folder.write("white.kbm", kWhiteKeys);
    Lv2Host host;
    ASSERT_TRUE(host.loaded());
    std::vector<float> left, right;
    host.run(16, {}, left, right);
    EXPECT_EQ(host.toldCount, 3);
    EXPECT_EQ(host.told[kScaleUri], "");
    EXPECT_EQ(host.told[kScaleDescriptionUri], "");

    host.setPath(kScaleUri, scale);
    host.setPath(kKeymapUri, keymap);
    host.run(16, {}, left, right);
    EXPECT_EQ(host.told[kScaleUri], scale);
    EXPECT_EQ(host.told[kKeymapUri], keymap);
    EXPECT_EQ(host.told[kScaleDescriptionUri], "Just intonation, C major");
    const int toldBefore = host.toldCount;
    host.run(16, {}, left, right);
    EXPECT_EQ(host.toldCount, toldBefore);

    host.told.clear();
    host.askNames();
    host.run(16, {}, left, right);
    EXPECT_EQ(host.told[kScaleUri], scale);

    Lv2Host fresh;
    fresh.run(16, {}, left, right);
    fresh.restoreState(host.saveState());
    fresh.run(16, {}, left, right);
    EXPECT_EQ(fresh.told[kScaleUri], scale);
    EXPECT_EQ(fresh.told[kScaleDescriptionUri], "Just intonation, C major");

    host.setPath(kScaleUri, "");
    host.run(16, {}, left, right);
    EXPECT_EQ(host.told[kScaleUri], "");
    EXPECT_EQ(host.told[kScaleDescriptionUri], "");
    EXPECT_EQ(host.told[kKeymapUri], keymap);
}

// A state or preset without a tuning, restored over an instance playing another one, brings equal
// temperament back. A scale without a keyboard mapping keeps A4 at 440 Hz, so middle C tells.
TEST(Lv2Tuning, AStateWithoutATuningBringsEqualTemperamentBack) {
    TuningFolder folder;
    std::string nineteen = "! 19edo.scl\n19 equal steps to the octave\n 19\n";
    for (int step = 1; step <= 19; ++step)
        nineteen += " " + std::to_string(step * 1200.0 / 19.0) + "\n";
    const std::string scale = folder.write("19edo.scl", nineteen);
    const auto sineSetting = [](Lv2Host& host) {
        for (int k = Drawbar2; k <= Drawbar3; ++k)
            host.controls[k] = 0.0f;
        host.controls[CutOff] = 1.0f;
        host.controls[Env] = 0.0f;
        host.controls[VibratoDepth] = 0.0f;
    };
    const auto middleC = [](Lv2Host& host) {
        std::vector<float> left, right;
        host.run(8192, {{0, {0x90, 60, 100}}}, left, right);
        const double hz = measuredHz(left, 44100.0, 2048, left.size());
        host.run(512, {{0, {0x80, 60, 0}}}, left, right);
        host.run(44100, {}, left, right); // the release dies away
        return hz;
    };
    Lv2Host untuned, host;
    sineSetting(untuned);
    sineSetting(host);
    EXPECT_NEAR(centsBetween(middleC(untuned), 261.625565), 0.0, 0.1);
    const Lv2Host::State equal = untuned.saveState();

    host.setPath(kScaleUri, scale);
    // Middle C is nine steps of 19 below A4.
    EXPECT_NEAR(centsBetween(middleC(host), 440.0 * std::exp2(-9.0 / 19.0)), 0.0, 0.1);
    host.restoreState(equal);
    EXPECT_NEAR(centsBetween(middleC(host), 261.625565), 0.0, 0.1);
}
