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
