// What ulvo-play's command line sets before it plays, in process and without a JACK server.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tools/common/factory_presets.h"
#include "tools/common/tool_error.h"
#include "tools/play/startup_settings.h"

TEST(PlayStartSettings, ParamPicksByTheRulesOfUlvoRender) {
    auto instrument = std::make_unique<Instrument>();
    const PlayOptions options =
        parsePlayOptions({"--param", "cutoff=0.25", "--param", "q=0.5", "--param", "8=0.75",
                          "--param", "7=1", "--param", "WAVE=0.125"});
    applyStartSettings(*instrument, options);
    EXPECT_EQ(instrument->parameter(4), 0.25f);   // a symbol
    EXPECT_EQ(instrument->parameter(5), 0.5f);    // Q, a name ignoring case
    EXPECT_EQ(instrument->parameter(10), 0.75f);  // the 8' drawbar's name, not index 8
    EXPECT_EQ(instrument->parameter(7), 1.0f);    // Env, by index
    EXPECT_EQ(instrument->parameter(14), 0.125f); // wave, a symbol ignoring case

    // A mistake is a usage error, naming the nearest parameter when one is near.
    const auto errorOf = [&](std::vector<std::string> args) {
        try {
            applyStartSettings(*instrument, parsePlayOptions(args));
        } catch (const UsageError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorOf({"--param", "16=1", "--param", "cutof=1"}),
              "--param cutof=1: no parameter 'cutof' (the nearest: cutoff)");
    EXPECT_EQ(instrument->parameter(11), 1.0f); // "16" is the 16' drawbar, set before the mistake
    EXPECT_EQ(errorOf({"--param", "99=0.5"}),
              "--param 99=0.5: no parameter with index 99 (0 to 23)");
    EXPECT_EQ(errorOf({"--preset", "Jaz Organ"}),
              "no preset 'Jaz Organ' (the nearest: Jazz Organ)");
}

// --list-presets: every factory preset once, under its family, in the file's order.
TEST(PlayStartSettings, TheFactoryPresetsAreListedByFamily) {
    EXPECT_TRUE(parsePlayOptions({"--list-presets"}).listPresets);
    const std::string text = presetListText(factoryPresetList());
    EXPECT_EQ(text.rfind("Organs:\n  Classic Organ\n  Full Organ\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nFiltered:\n  Resonant Sweep\n"), std::string::npos) << text;
    for (const Preset& preset : factoryPresets())
        EXPECT_NE(text.find("  " + preset.name + "\n"), std::string::npos) << preset.name;
    // And seven headings.
    EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
              factoryPresets().size() + 7);
}

TEST(PlayStartSettings, ParamTakesThePlayingControlsInTheirOwnRanges) {
    auto instrument = std::make_unique<Instrument>();
    applyStartSettings(*instrument,
                       parsePlayOptions({"--param", "volume=-6.5", "--param", "Bend Range=12.4",
                                         "--param", "env_curve=0", "--param", "22=16"}));
    EXPECT_EQ(instrument->parameter(Volume), -6.5f);
    EXPECT_EQ(instrument->parameter(BendRange), 12.0f); // a whole number of semitones
    EXPECT_EQ(instrument->parameter(EnvCurve), 0.0f);
    EXPECT_EQ(instrument->parameter(EnvScale), 16.0f);

    const auto errorOf = [&](const char* setting) {
        try {
            applyStartSettings(*instrument, parsePlayOptions({"--param", setting}));
        } catch (const UsageError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorOf("volume=40"), "--param volume=40: volume takes -60 to 12");
    EXPECT_EQ(errorOf("vibrato_rate=0"), "--param vibrato_rate=0: vibrato_rate takes 0.5 to 12");
    EXPECT_EQ(errorOf("wave=2"), "--param wave=2: wave takes 0 to 1");
    EXPECT_EQ(instrument->parameter(Volume), -6.5f); // nothing refused was set
}
