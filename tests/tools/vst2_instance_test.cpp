// Loading instruments and setting them up, in process, against the probe instrument and its
// broken variants.
#include <gtest/gtest.h>

#include <fstream>

#include "tools/common/tool_error.h"
#include "tools/render/hosts/vst2_instance.h"

namespace {

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
    EXPECT_EQ(probe.parameterName(2), "Level");
    EXPECT_EQ(probe.findParameter("Offset"), 0);
    EXPECT_EQ(probe.findParameter("level"), 2);
    EXPECT_EQ(probe.findParameter("2"), 1); // a parameter named "2" wins over index 2
    EXPECT_EQ(probe.findParameter("0"), 0);
    const std::string message = errorOf([&] { probe.findParameter("Cutoff"); });
    EXPECT_NE(message.find("no parameter named 'Cutoff'"), std::string::npos) << message;
    EXPECT_NE(errorOf([&] { probe.findParameter("3"); }), "no error"); // past the last index
    EXPECT_NE(errorOf([&] { probe.findParameter("-1"); }), "no error");
}

TEST(Vst2Instance, ProgramsOutsideTheInstrumentsRangeAreRefused) {
    Vst2Library library(PROBE_PLUGIN);
    Vst2Instance probe(library, 44100, 64);
    probe.selectProgram(2);
    EXPECT_FLOAT_EQ(probe.parameter(0), 0.2f); // the probe's program 2 sets Offset to 0.2
    EXPECT_NE(errorOf([&] { probe.selectProgram(3); }).find("no program 3 (it has 3)"),
              std::string::npos);
}

TEST(Vst2Instance, OurInstrumentsParametersAreFoundByTheirNames) {
    Vst2Library library(ULVODRAW_PLUGIN);
    Vst2Instance synth(library, 44100, 64);
    EXPECT_EQ(synth.outputCount(), 2);
    EXPECT_EQ(synth.findParameter("CutOff"), 4);
    EXPECT_EQ(synth.findParameter("8"), 10); // the 8' drawbar, not index 8
    EXPECT_EQ(synth.findParameter("7"), 7);  // no such name: index 7, Env
    synth.setParameter(synth.findParameter("Wave"), 0.75f);
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
