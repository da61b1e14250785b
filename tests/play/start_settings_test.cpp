// What ulvo-play's command line sets before it plays, in process and without a JACK server.
#include <gtest/gtest.h>

#include <memory>

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

    std::string message;
    try {
        applyStartSettings(*instrument, parsePlayOptions({"--param", "16=1", "--param", "x=1"}));
    } catch (const ToolError& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "--param: no parameter is called 'x'");
    EXPECT_EQ(instrument->parameter(11), 1.0f); // "16" is the 16' drawbar, set before the mistake
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
