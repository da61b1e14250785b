// ulvo-render hosting CLAP plug-ins: UlvoDraw.clap with the classic values renders the demo to the
// VST 2 build's bytes, its factory presets and parameters go by the LV2 build's symbols, and a
// missing or broken .clap file is refused with one line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "synth/parameters.h"
#include "synth/preset_text.h"
#include "tests/tools/midi_bytes.h"
#include "tests/tools/render_run.h"

namespace {

namespace fs = std::filesystem;

std::string valueText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// The demo's patch (demo/patch-lv2.args), every playing control at its classic value.
std::vector<std::string> classicPatch(bool byName) {
    const float patch[] = {0.12f, 0.45f, 0.6f,  0.4f, 0.5f, 0.4f, 0.0f, 0.6f,
                           0.8f,  0.5f,  0.25f, 0.0f, 0.3f, 0.6f, 0.0f, 0.1f};
    std::vector<std::string> args;
    const auto set = [&](std::int32_t i, float value) {
        const char* label = byName ? kParameterNames[i] : kParameterSymbols[i];
        args.insert(args.end(), {"--param", label + ("=" + valueText(value))});
    };
    for (std::int32_t i = 0; i < kParameterCount; ++i)
        set(i, patch[i]);
    if (byName) // the VST 2 build's drawbars settled: its shares then follow the positions
        for (std::int32_t i = Drawbar2; i <= Drawbar3; ++i)
            set(i, patch[i]);
    else
        for (std::int32_t i = kParameterCount; i < kControlCount; ++i)
            set(i, kClassicValues[i]);
    return args;
}

} // namespace

TEST(UlvoRenderClap, TheClapBuildRendersTheDemoToTheVst2BuildsBytes) {
    TempFolder folder;
    const auto render = [&](const std::string& plugin, bool byName, const std::string& block) {
        std::vector<std::string> args = {"--plugin", plugin, "--block", block};
        const std::vector<std::string> patch = classicPatch(byName);
        args.insert(args.end(), patch.begin(), patch.end());
        args.insert(args.end(), {ULVO_DEMO_MIDI, folder.path(block + ".wav")});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return slurp(folder.path(block + ".wav"));
    };
    for (const char* block : {"1", "64", "4096"}) {
        const std::string vst2 = render(ULVODRAW_PLUGIN, true, block);
        ASSERT_GT(vst2.size(), 44100u * 20 * 4);
        EXPECT_TRUE(render(ULVODRAW_CLAP, false, block) == vst2) << "block " << block;
    }
}

// A preset through CLAP is its values by symbol; the listings are the LV2 build's.
TEST(UlvoRenderClap, PresetsAndParametersGoByTheLv2BuildsSymbols) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), [] {
        TrackBytes t;
        t.add(0, {0x90, 48, 100}).add(0, {0x90, 64, 80}).add(960, {0x80, 48, 0});
        t.add(0, {0x80, 64, 0}).end();
        return midiFile(0, 480, {t});
    }());
    const auto render = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--plugin", ULVODRAW_CLAP});
        args.insert(args.end(), {"--tail", "0.5", "--bit-depth", "32f", folder.path("piece.mid"),
                                 folder.path("out.wav")});
        const RunResult run = runRender(args, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return readAudio(folder.path("out.wav")).channels;
    };
    const PresetParse parsed = parsePresets(slurp(ULVO_FACTORY_PRESETS));
    const Preset* bells = findPreset(parsed.presets, "Tubular Bells");
    ASSERT_NE(bells, nullptr) << parsed.error;
    std::vector<std::string> byHand;
    for (std::int32_t i = 0; i < kControlCount; ++i)
        byHand.insert(byHand.end(),
                      {"--param", kParameterSymbols[i] + ("=" + valueText(bells->values[i]))});
    const auto preset = render({"--preset", "tubular bells"});
    ASSERT_EQ(preset.size(), 2u);
    EXPECT_EQ(preset[0], preset[1]);
    EXPECT_EQ(render(byHand), preset);
    EXPECT_NE(render({}), preset);
    // A parameter by its symbol, its CLAP name and its index alike.
    EXPECT_EQ(render({"--param", "cutoff=0.2"}), render({"--param", "Cut-off=0.2"}));
    EXPECT_EQ(render({"--param", "velocity_sense=0"}), render({"--param", "17=0"}));
    EXPECT_NE(render({"--param", "Velocity sensitivity=0"}), render({}));

    const auto list = [&](const std::string& plugin, const char* what) {
        const RunResult run = runRender({"--plugin", plugin, what}, folder);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.out;
    };
    EXPECT_EQ(list(ULVODRAW_CLAP, "--list-presets"), list(ULVODRAW_LV2_BUNDLE, "--list-presets"));
    const std::string params = list(ULVODRAW_CLAP, "--list-params");
    EXPECT_EQ(countLines(params), 1 + kControlCount) << params;
    for (const char* row : {"   16  volume          Volume ", " -60 to 12 dB ",
                            " 0 Linear, 1 Natural  ", " 1 to 24 st, whole "})
        EXPECT_NE(params.find(row), std::string::npos) << row << "\n" << params;
}

TEST(UlvoRenderClap, AMissingOrBrokenClapFileGetsOneLine) {
    TempFolder folder;
    writeFile(folder.path("piece.mid"), [] {
        TrackBytes t;
        t.add(0, {0x90, 60, 100}).add(480, {0x80, 60, 0}).end();
        return midiFile(0, 480, {t});
    }());
    std::ofstream(folder.path("text.clap")) << "not a module\n";
    fs::copy_file(ULVODRAW_PLUGIN, folder.path("vst2.clap"));
    const std::pair<std::string, std::string> rows[] = {
        {"missing.clap", "': no such CLAP plug-in file\n"},
        {"text.clap", "' is not a plug-in that can be loaded: "},
        {"vst2.clap", "' is not a CLAP plug-in: it exports no clap_entry\n"},
    };
    for (const auto& [name, why] : rows) {
        const RunResult run = runRender(
            {"--plugin", folder.path(name), folder.path("piece.mid"), folder.path("out.wav")},
            folder);
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("ulvo-render: '" + folder.path(name) + why), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(folder.path("out.wav")));
    }
}
