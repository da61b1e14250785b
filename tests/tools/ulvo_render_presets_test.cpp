// UlvoDraw's presets through ulvo-render with no --plugin: the LV2 build found beside the tool, or
// from an unpacked archive's bin/ at ../lib/lv2, and the VST 2 build given the preset's values
// when there is none; the listings; and the nearest names for a mistake, which exits with 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "synth/preset_text.h"
#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

namespace fs = std::filesystem;

// A chord and a melody note on channel 1, half a second each.
Bytes chordAndNote() {
    TrackBytes t;
    t.add(0, {0x90, 48, 100})
        .add(0, {0x90, 55, 90})
        .add(0, {0x90, 64, 80})
        .add(480, {0x80, 48, 0})
        .add(0, {0x80, 55, 0})
        .add(0, {0x80, 64, 0})
        .add(0, {0x90, 72, 110})
        .add(480, {0x80, 72, 0})
        .end();
    return midiFile(0, 480, {t});
}

// The archive's layout in `folder/name`: bin/ulvo-render a copy of the built tool (a link would
// lead /proc/self/exe back to the build), lib/vst/UlvoDraw.so and, `withLv2`, the LV2 bundle in
// lib/lv2. Returns the tool.
std::string unpackedTool(const TempFolder& folder, const std::string& name, bool withLv2) {
    const fs::path top = folder.path(name);
    fs::create_directories(top / "bin");
    fs::create_directories(top / "lib/vst");
    fs::copy_file(ULVO_RENDER, top / "bin/ulvo-render");
    fs::create_symlink(ULVODRAW_PLUGIN, top / "lib/vst/UlvoDraw.so");
    if (withLv2) {
        fs::create_directories(top / "lib/lv2");
        fs::create_directory_symlink(ULVODRAW_LV2_BUNDLE, top / "lib/lv2/ulvodraw.lv2");
    }
    return (top / "bin/ulvo-render").string();
}

std::vector<Preset> factoryPresets() {
    const PresetParse parse = parsePresets(slurp(ULVO_FACTORY_PRESETS));
    EXPECT_EQ(parse.error, "");
    return parse.presets;
}

std::string valueText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace

TEST(UlvoRenderPresets, APresetByNameNeedsNoPluginInTheBuildOrAnUnpackedArchive) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), chordAndNote());
    const std::string piece = folder.path("piece.mid"), out = folder.path("out.wav");
    const std::string unpacked = unpackedTool(folder, "unpacked", true);
    const auto render = [&](const std::string& tool, std::vector<std::string> args) {
        args.insert(args.end(), {"--tail", "0.5", "--bit-depth", "32f", piece, out});
        const RunResult run = runTool(tool, args, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return readAudio(out).channels;
    };
    const auto lv2 =
        render(ULVO_RENDER, {"--plugin", ULVODRAW_LV2_BUNDLE, "--preset", "Glass Pad"});
    ASSERT_EQ(lv2.size(), 2u);
    EXPECT_EQ(render(ULVO_RENDER, {"--preset", "Glass Pad"}), lv2);
    EXPECT_EQ(render(unpacked, {"--preset", "glass pad"}), lv2);
    // From the unpacked bin/, the URI is found at ../lib/lv2 and the default at ../lib/vst.
    EXPECT_EQ(render(unpacked, {"--plugin", ULVODRAW_LV2_URI, "--preset", "Glass Pad"}), lv2);
    const auto vst2 = render(ULVO_RENDER, {"--plugin", ULVODRAW_PLUGIN});
    EXPECT_EQ(render(unpacked, {}), vst2);
    EXPECT_NE(vst2, lv2);
}

// Its sixteen classic values, drawbars set again after the others as the LV2 build's shares
// follow their positions; the line says why it is not the LV2 build.
TEST(UlvoRenderPresets, WithoutTheLv2BuildTheVst2BuildPlaysThePresetsValuesAndOneLineSaysSo) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), chordAndNote());
    const std::string piece = folder.path("piece.mid"), out = folder.path("out.wav");
    const std::string bare = unpackedTool(folder, "bare", false);
    const std::vector<std::string> common = {"--tail", "0.5", "--bit-depth", "32f", piece, out};

    std::vector<std::string> args = {"--preset", "Tubular Bells"};
    args.insert(args.end(), common.begin(), common.end());
    const RunResult run = runTool(bare, args, folder);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "ulvo-render: UlvoDraw's LV2 build is neither beside ulvo-render nor "
                       "installed: the VST 2 build plays the preset's values, without the LV2 "
                       "build's playing controls\n");
    const auto fallback = readAudio(out).channels;

    const std::vector<Preset> presets = factoryPresets();
    const Preset* bells = findPreset(presets, "Tubular Bells");
    ASSERT_NE(bells, nullptr);
    // By the VST 2 build's names: "4" there is the 4' drawbar, not index 4.
    std::vector<std::string> byHand = {"--plugin", ULVODRAW_PLUGIN};
    const auto set = [&](std::int32_t index) {
        byHand.insert(byHand.end(), {"--param", std::string(kParameterNames[index]) + "=" +
                                                    valueText(bells->values[index])});
    };
    for (const std::int32_t index : kProgramApplyOrder)
        set(index);
    for (std::int32_t index = Drawbar2; index <= Drawbar3; ++index)
        set(index);
    byHand.insert(byHand.end(), common.begin(), common.end());
    ASSERT_EQ(runRender(byHand, folder).exitCode, 0);
    EXPECT_EQ(readAudio(out).channels, fallback);

    // The same list whichever build holds the presets.
    const RunResult fromBuild = runRender({"--list-presets"}, folder);
    const RunResult fromBare = runTool(bare, {"--list-presets"}, folder);
    EXPECT_EQ(fromBuild.exitCode, 0);
    EXPECT_EQ(fromBuild.err, "");
    EXPECT_EQ(fromBare.out, fromBuild.out);
    EXPECT_EQ(countLines(fromBare.err), 1) << fromBare.err;
}

// Every factory preset once, under its family; every parameter with symbol, name, range, default.
TEST(UlvoRenderPresets, ListingsShowEveryPresetByFamilyAndEveryParameter) {
    TempFolder folder;
    const RunResult presets = runRender({"--list-presets"}, folder);
    ASSERT_EQ(presets.exitCode, 0) << presets.err;
    std::istringstream lines(presets.out);
    std::string line, heading;
    std::vector<std::pair<std::string, std::string>> listed; // family, name
    while (std::getline(lines, line))
        if (line.rfind("  ", 0) == 0)
            listed.emplace_back(heading, line.substr(2));
        else
            heading = line.substr(0, line.size() - 1); // "Organs:"
    const std::vector<Preset> factory = factoryPresets();
    EXPECT_EQ(listed.size(), factory.size());
    for (const Preset& p : factory)
        EXPECT_EQ(std::count(listed.begin(), listed.end(), std::make_pair(p.family, p.name)), 1)
            << p.name;

    const RunResult lv2 = runRender({"--list-params", "--preset", "any"}, folder);
    ASSERT_EQ(lv2.exitCode, 0) << lv2.err;
    EXPECT_EQ(countLines(lv2.out), 1 + kControlCount);
    EXPECT_EQ(lv2.out.rfind("index  symbol  ", 0), 0u) << lv2.out;
    for (const char* row : {"   16  volume          Volume ", " -60 to 12 dB ",
                            "   21  env_curve  ", " 0 Linear, 1 Natural  ",
                            " 1 to 24 semitones, whole ", "    4  cutoff          Cut-off "})
        EXPECT_NE(lv2.out.find(row), std::string::npos) << row << "\n" << lv2.out;

    const RunResult vst2 = runRender({"--list-params"}, folder);
    ASSERT_EQ(vst2.exitCode, 0) << vst2.err;
    EXPECT_EQ(countLines(vst2.out), 1 + kParameterCount);
    EXPECT_NE(vst2.out.find("    4  CutOff  0 to 1  0.5\n"), std::string::npos) << vst2.out;
}

TEST(UlvoRenderPresets, EveryCommandLineMistakeExitsWith2AndNamesTheNearest) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), chordAndNote());
    const std::string piece = folder.path("piece.mid"), out = folder.path("out.wav");
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--preset", "Jaz Organ"}, "no preset 'Jaz Organ' (the nearest: Jazz Organ)"},
        {{"--preset", "Jazz Organ", "--param", "CutOf=0.3"},
         "--param CutOf=0.3: no parameter 'CutOf' (the nearest: cutoff)"},
        {{"--param", "99=0.5"}, "--param 99=0.5: no parameter with index 99 (0 to 15)"},
        {{"--preset", "Jazz Organ", "--param", "99=0.5"},
         "--param 99=0.5: no parameter with index 99 (0 to 23)"},
        {{"--program", "40"}, "the plug-in has no program 40 (it has 32, 0 to 31)"},
        {{"--channel", "0"},
         "--channel takes channels from 1 to 16, ranges such as 3-5 or 'all', joined by commas, "
         "not '0'"},
        {{"--gain", "loud"}, "--gain takes a number from -60 to 24, not 'loud'"},
    };
    for (auto [args, message] : rows) {
        args.insert(args.end(), {piece, out});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_EQ(run.err, "ulvo-render: " + message + "\n");
        EXPECT_FALSE(fs::exists(out)) << message;
    }
}
