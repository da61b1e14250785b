// The command line: what each option sets, and the message for each mistake.
#include <gtest/gtest.h>

#include "tools/common/tool_error.h"
#include "tools/render/render_options.h"

namespace {

std::string errorOf(const std::vector<std::string>& args) {
    try {
        parseOptions(args);
    } catch (const ToolError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(RenderOptions, DefaultsAreThoseOfTheHelpText) {
    const RenderOptions o = parseOptions({"in.mid", "out.wav"});
    EXPECT_TRUE(o.plugins.empty());
    EXPECT_EQ(o.rate, 44100);
    EXPECT_EQ(o.blockSize, 512);
    EXPECT_FALSE(o.program.has_value());
    EXPECT_EQ(o.tailSeconds, 2.0);
    EXPECT_EQ(o.format, SampleFormat::Int24);
    EXPECT_FALSE(o.bench);
    EXPECT_EQ(o.input, "in.mid");
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_NE(std::string(usageText()).find("default 512"), std::string::npos);
}

TEST(RenderOptions, EveryOptionTakesItsValueSeparateOrAfterAnEqualsSign) {
    const RenderOptions o =
        parseOptions({"--plugin", "a.so", "--rate=48000", "--block", "1", "--program", "3",
                      "--param", "CutOff=0.25", "--param=2=1", "--tail", "0.5", "--bit-depth=32f",
                      "--gain=-3.5", "--channel", "1,3-5,16", "--strict", "in.mid", "out.wav"});
    EXPECT_EQ(o.plugins, std::vector<std::string>{"a.so"});
    EXPECT_EQ(o.rate, 48000);
    EXPECT_EQ(o.blockSize, 1);
    EXPECT_EQ(o.program, 3);
    ASSERT_EQ(o.parameters.size(), 2u);
    EXPECT_EQ(o.parameters[0].name, "CutOff");
    EXPECT_EQ(o.parameters[0].value, 0.25f);
    EXPECT_EQ(o.parameters[1].name, "2");
    EXPECT_EQ(o.parameters[1].value, 1.0f);
    EXPECT_EQ(o.tailSeconds, 0.5);
    EXPECT_EQ(o.format, SampleFormat::Float32);
    EXPECT_EQ(o.gainDb, -3.5);
    EXPECT_EQ(o.channels, 0b1000'0000'0001'1101); // channels 1, 3, 4, 5 and 16
    EXPECT_TRUE(o.strict);
    EXPECT_EQ(parseOptions({"--channel", "all", "in.mid", "o.wav"}).channels, 0xFFFF);
    EXPECT_FALSE(parseOptions({"in.mid", "o.wav"}).channels.has_value());
}

TEST(RenderOptions, ListingsNeedNoFiles) {
    const RenderOptions o = parseOptions({"--list-presets", "--preset", "x", "--list-params"});
    EXPECT_TRUE(o.listPresets && o.listParams);
    EXPECT_NE(errorOf({"--list-params", "in.mid", "o.wav"}), "no error");
}

TEST(RenderOptions, BenchTakesOnlyTheMidiFileAndSeveralPlugins) {
    const RenderOptions o =
        parseOptions({"--bench", "--plugin", "a.so", "--plugin", "b.so", "--runs", "3", "in.mid"});
    EXPECT_TRUE(o.bench);
    EXPECT_EQ(o.plugins.size(), 2u);
    EXPECT_EQ(o.runs, 3);
    EXPECT_TRUE(o.output.empty());
}

TEST(RenderOptions, HelpAndVersionNeedNoFiles) {
    EXPECT_TRUE(parseOptions({"--help"}).help);
    EXPECT_TRUE(parseOptions({"--version"}).version);
    EXPECT_FALSE(parseOptions({"in.mid", "out.wav"}).version);
    EXPECT_NE(std::string(usageText()).find("--version"), std::string::npos);
}

TEST(RenderOptions, FileNamesMayFollowADoubleDash) {
    const RenderOptions o = parseOptions({"--", "-odd.mid", "out.wav"});
    EXPECT_EQ(o.input, "-odd.mid");
}

TEST(RenderOptions, MistakesAreNamed) {
    struct Row {
        std::vector<std::string> args;
        const char* message;
    };
    const Row rows[] = {
        {{"in.mid"}, "give one MIDI file and one output file"},
        {{"a", "b", "c"}, "give one MIDI file and one output file"},
        {{"--bench", "in.mid", "out.wav"}, "--bench takes one MIDI file"},
        {{"--plugin", "a.so", "--plugin", "b.so", "in.mid", "o.wav"}, "only with --bench"},
        {{"--speed", "2", "in.mid", "o.wav"}, "unknown option '--speed'"},
        {{"in.mid", "o.wav", "--rate"}, "--rate needs a value"},
        {{"--rate", "44.1k", "in.mid", "o.wav"}, "--rate takes a whole number"},
        {{"--rate", "0", "in.mid", "o.wav"}, "--rate takes a whole number"},
        {{"--block", "0", "in.mid", "o.wav"}, "--block takes a whole number from 1"},
        {{"--block", "-5", "in.mid", "o.wav"}, "--block takes a whole number from 1"},
        {{"--program", "x", "in.mid", "o.wav"}, "--program takes a whole number"},
        {{"--param", "CutOff", "in.mid", "o.wav"}, "--param takes NAME=VALUE"},
        {{"--param", "=0.5", "in.mid", "o.wav"}, "--param takes NAME=VALUE"},
        {{"--param", "Q=nan", "in.mid", "o.wav"}, "--param Q takes a number, not 'nan'"},
        {{"--param", "Q=1e3", "in.mid", "o.wav"}, "--param Q takes a number, not '1e3'"},
        {{"--param", "Q=", "in.mid", "o.wav"}, "--param Q takes a number"},
        // A double, but past what a float holds.
        {{"--param", "Q=-1" + std::string(40, '0'), "in.mid", "o.wav"}, "--param Q takes a number"},
        {{"--tail", "-1", "in.mid", "o.wav"}, "--tail takes a number from 0"},
        {{"--bit-depth", "32", "in.mid", "o.wav"}, "--bit-depth takes 16, 24 or 32f"},
        {{"--bench", "--runs", "0", "in.mid"}, "--runs takes a whole number from 1"},
        {{"--gain", "30", "in.mid", "o.wav"}, "--gain takes a number from -60 to 24"},
        {{"--bench", "--gain", "-3", "in.mid"}, "--gain goes only with a render"},
        {{"--channel", "0", "in.mid", "o.wav"}, "--channel takes channels from 1 to 16"},
        {{"--channel", "17", "in.mid", "o.wav"}, "not '17'"},
        {{"--channel", "1,", "in.mid", "o.wav"}, "not '1,'"},
        {{"--channel", "5-3", "in.mid", "o.wav"}, "the range 5-3 runs backwards"},
        {{"--channel", "drums", "in.mid", "o.wav"}, "not 'drums'"},
        {{"in.mid", "o.mp3"}, "must end in .wav or .flac"},
        {{"--bit-depth", "32f", "in.mid", "o.flac"}, "a FLAC file cannot hold 32-bit float"},
    };
    for (const Row& row : rows) {
        const std::string message = errorOf(row.args);
        EXPECT_NE(message.find(row.message), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(RenderOptions, NumbersAreDecimalOnlyAndRunsGoesWithBench) {
    const char* const notDecimal[] = {"0x10", "1e1", "inf", "nan", " 5", "+5", "5 ", "1.2.3", "."};
    for (const char* text : notDecimal) {
        EXPECT_NE(errorOf({"--tail", text, "in.mid", "o.wav"}).find("--tail takes a number"),
                  std::string::npos)
            << text;
        EXPECT_NE(errorOf({"--block", text, "in.mid", "o.wav"}).find("--block takes a whole"),
                  std::string::npos)
            << text;
    }
    EXPECT_EQ(parseOptions({"--tail", ".5", "in.mid", "o.wav"}).tailSeconds, 0.5);
    EXPECT_EQ(parseOptions({"--tail", "10", "in.mid", "o.wav"}).tailSeconds, 10.0);
    EXPECT_EQ(parseOptions({"--block", "0010", "in.mid", "o.wav"}).blockSize, 10);
    EXPECT_NE(errorOf({"--runs", "3", "in.mid", "o.wav"}).find("--runs goes only with --bench"),
              std::string::npos);
    EXPECT_TRUE(parseOptions({"--exact-events", "in.mid", "o.wav"}).exactEvents);
    // The help says that block sizes matter, and what to do about it.
    EXPECT_NE(std::string(usageText()).find("block sizes can differ"), std::string::npos);
    EXPECT_NE(std::string(usageText()).find("--exact-events"), std::string::npos);
    EXPECT_FALSE(parseOptions({"in.mid", "o.wav"}).exactEvents);
}
