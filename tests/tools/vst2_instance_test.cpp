// Loading instruments and setting them up, in process, against the probe instrument and its
// broken variants.
#include <gtest/gtest.h>

#include <fstream>

#include "host/vst2_instance.h"
#include "tools/common/parameter_option.h"
#include "tools/common/tool_error.h"

namespace {

// The index --param NAME=0 sets on `instrument`.
std::int32_t pick(const HostedInstrument& instrument, const std::string& name) {
    std::vector<ParameterLabel> labels;
    for (const ParameterInfo& p : instrument.parameters())
        labels.push_back({p.symbol, p.name});
    return pickParameter(labels, parseParameterSetting(name + "=0"));
}

template <typename F> std::string errorOf(F&& f) {
    try {
        f();
    } catch (const ToolError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(Vst2Instance, FindsParametersByNameThenIgnoringCaseThenByIndex) {
    Vst2Library library(PROBE_PLUGIN);
    Vst2Instance probe(library, 44100, 64);
    probe.setParameter(2, 0.25f);
    const std::vector<ParameterInfo> parameters = probe.parameters();
    ASSERT_EQ(parameters.size(), 3u);
    EXPECT_EQ(parameters[2].name, "Level");
    EXPECT_EQ(parameters[2].symbol, "");
    EXPECT_EQ(parameters[2].defaultValue, 0.25f); // as the instrument stands
    EXPECT_EQ(parameters[2].range.maximum, 1.0f);
    EXPECT_EQ(pick(probe, "Offset"), 0);
    EXPECT_EQ(pick(probe, "level"), 2);
    EXPECT_EQ(pick(probe, "2"), 1); // a parameter named "2" wins over index 2
    EXPECT_EQ(pick(probe, "0"), 0);
    EXPECT_EQ(errorOf([&] { pick(probe, "Cutoff"); }),
              "--param Cutoff=0: no parameter 'Cutoff' (it has 3: Offset, 2 and Level)");
    EXPECT_EQ(errorOf([&] { pick(probe, "Levle"); }),
              "--param Levle=0: no parameter 'Levle' (the nearest: Level)");
    EXPECT_EQ(errorOf([&] { pick(probe, "3"); }),
              "--param 3=0: no parameter with index 3 (0 to 2)");
    EXPECT_NE(errorOf([&] { pick(probe, "-1"); }), "no error");
}

TEST(Vst2Instance, ProgramsOutsideTheInstrumentsRangeAreRefused) {
    Vst2Library library(PROBE_PLUGIN);
    Vst2Instance probe(library, 44100, 64);
    probe.selectProgram(2);
    EXPECT_FLOAT_EQ(probe.parameter(0), 0.2f); // the probe's program 2 sets Offset to 0.2
    EXPECT_EQ(errorOf([&] { probe.selectProgram(3); }),
              "the plug-in has no program 3 (it has 3, 0 to 2)");
    // Listed as presets are, by number.
    const std::vector<ListedPreset> programs = probe.presets();
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[1].name.rfind("1: ", 0), 0u) << programs[1].name;
}

TEST(Vst2Instance, OurInstrumentsParametersAreFoundByTheirNames) {
    Vst2Library library(ULVODRAW_PLUGIN);
    Vst2Instance synth(library, 44100, 64);
    EXPECT_EQ(synth.outputCount(), 2);
    EXPECT_EQ(pick(synth, "CutOff"), 4);
    EXPECT_EQ(pick(synth, "8"), 10); // the 8' drawbar, not index 8
    EXPECT_EQ(pick(synth, "7"), 7);  // no such name: index 7, Env
    synth.setParameter(pick(synth, "Wave"), 0.75f);
    EXPECT_EQ(synth.parameter(14), 0.75f);
}

TEST(Vst2Instance, BrokenPluginsAreReportedByWhatIsWrong) {
    const std::string textFile = testing::TempDir() + "not_a_plugin.so";
    std::ofstream(textFile) << "just text\n";
    struct Row {
        std::string path;
        const char* message;
    };
    const Row rows[] = {
        {textFile, "is not a plug-in that can be loaded"},
        {"/nonexistent/plugin.so", "is not a plug-in that can be loaded"},
        {PROBE_NO_ENTRY, "exports neither VSTPluginMain nor main"},
        {PROBE_NULL_ENTRY, "entry returned no instrument"},
        {PROBE_NO_OUTPUTS, "has no audio outputs"},
    };
    for (const Row& row : rows) {
        const std::string message = errorOf([&] {
            Vst2Library library(row.path);
            Vst2Instance instance(library, 44100, 64);
        });
        EXPECT_NE(message.find(row.message), std::string::npos) << row.path << ": " << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}
